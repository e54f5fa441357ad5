#pragma once
// Whole frames drawn straight into memory the X server reads images from, for a widget whose
// frames are drawn on another thread: the presenter then puts the changed part from the
// frame itself, where it would otherwise copy it into memory of its own first.
//
// Frames are images over blocks of that memory. A block goes back to the pool when the last
// copy of its image goes, on whatever thread: the presenter keeps a copy of each frame it put
// until the server says it has read it, so that whoever draws frames, seeing the image still
// shared, draws the next into another. The pool keeps a few blocks; past those, and once its
// connection is gone, frames come from the heap and are put the usual way.

#include <QImage>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace platform {

class SharedFrames : public std::enable_shared_from_this<SharedFrames> {
public:
    // Blocks on connection, which must outlive the pool or be let go first by disconnect().
    static std::shared_ptr<SharedFrames> make(xcb_connection_t* connection);
    ~SharedFrames();
    SharedFrames(const SharedFrames&) = delete;
    SharedFrames& operator=(const SharedFrames&) = delete;

    // An image of size over a free block, its rows packed; null when there is none to give.
    QImage frame(const QSize& size, QImage::Format format);

    // Where an image made here starts in the server's view: its segment, and its first
    // byte's offset in it.
    struct Place {
        std::uint32_t segment = 0;
        std::uint32_t offset = 0;
    };
    std::optional<Place> find(const QImage& image) const;

    // The connection is about to go: blocks still in use are then only unmapped.
    void disconnect();

private:
    explicit SharedFrames(xcb_connection_t* connection) : connection_(connection) {}
    struct Block {
        std::uint32_t segment = 0;
        std::uint8_t* memory = nullptr;
        std::size_t size = 0;
        bool inUse = false;
    };
    // Called by an image's last copy.
    static void release(void* info);
    void giveBack(const std::uint8_t* memory);

    mutable std::mutex mutex_;
    xcb_connection_t* connection_;
    std::vector<Block> blocks_;
};

} // namespace platform
