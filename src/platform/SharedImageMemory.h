#pragma once
// Memory the X server reads images from itself (the MIT-SHM extension): a frame goes to the
// window without passing through the connection's socket, which costs both sides a copy of
// every pixel. One image at a time: after each, the server is asked to answer once it has
// read it, and the memory is written again only after the answer, which is read without
// waiting. A caller finding the server still busy sends the frame the plain way.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

struct xcb_connection_t;

namespace platform {

// Memory of this process the server maps too, as segment.
struct AttachedMemory {
    std::uint32_t segment = 0;
    std::uint8_t* memory = nullptr;
};
// Maps bytes of new memory and hands it to the server; nothing when either fails. The
// caller detaches the segment and unmaps the memory.
std::optional<AttachedMemory> attachMemory(xcb_connection_t* connection, std::size_t bytes);
// Tells the server to let the segment go, when connection is not null, and unmaps it.
void detachMemory(xcb_connection_t* connection, const AttachedMemory& attached, std::size_t bytes);

class SharedImageMemory {
public:
    // Null when the server offers no shared memory or cannot reach this process's (a
    // server on another machine).
    static std::unique_ptr<SharedImageMemory> make(xcb_connection_t* connection);
    ~SharedImageMemory();
    SharedImageMemory(const SharedImageMemory&) = delete;
    SharedImageMemory& operator=(const SharedImageMemory&) = delete;

    // Whether the server has read the last image put from the memory.
    bool ready();
    // At least bytes of memory to write an image into, when ready(); null when that much
    // cannot be had.
    std::uint8_t* reserve(std::size_t bytes);
    // Puts the image of width x height 32-bit pixels written at the start of the memory at
    // (x, y) of the drawable, through the graphics context.
    void put(std::uint32_t drawable, std::uint32_t gc, std::uint16_t width, std::uint16_t height, std::int16_t x,
             std::int16_t y, std::uint8_t depth);

private:
    explicit SharedImageMemory(xcb_connection_t* connection) : connection_(connection) {}
    void release();

    xcb_connection_t* connection_;
    std::uint32_t segment_ = 0;
    std::uint8_t* memory_ = nullptr;
    std::size_t size_ = 0;
    // The request whose answer says the server has read the last image.
    std::uint32_t answer_ = 0;
    bool awaiting_ = false;
};

} // namespace platform
