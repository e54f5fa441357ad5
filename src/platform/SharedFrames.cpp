#include "platform/SharedFrames.h"

#include "platform/SharedImageMemory.h"

#include <algorithm>

namespace platform {

namespace {

// Two frames the drawer turns between, one the server is still reading and one a repaint
// holds; one more spares a resize its wait.
constexpr std::size_t kMostBlocks = 5;

// What an image's last copy gives back, and to whom.
struct Lease {
    std::shared_ptr<SharedFrames> pool;
    const std::uint8_t* memory;
};

} // namespace

std::shared_ptr<SharedFrames> SharedFrames::make(xcb_connection_t* connection)
{
    return std::shared_ptr<SharedFrames>(new SharedFrames(connection));
}

SharedFrames::~SharedFrames()
{
    // Every image holds the pool: no block is in use by now.
    for (const Block& block : blocks_)
        detachMemory(connection_, {block.segment, block.memory}, block.size);
}

QImage SharedFrames::frame(const QSize& size, QImage::Format format)
{
    if (size.isEmpty() || size.width() > UINT16_MAX || size.height() > UINT16_MAX)
        return {};
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const auto bytes = static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(size.height());
    std::uint8_t* memory = nullptr;
    {
        const std::lock_guard lock(mutex_);
        if (!connection_)
            return {};
        auto free = std::find_if(blocks_.begin(), blocks_.end(),
                                 [bytes](const Block& block) { return !block.inUse && block.size >= bytes; });
        if (free == blocks_.end()) {
            // A block too small for frames of the new size makes room for one that fits.
            const auto small = std::find_if(blocks_.begin(), blocks_.end(), [](const Block& block) { return !block.inUse; });
            if (small != blocks_.end()) {
                detachMemory(connection_, {small->segment, small->memory}, small->size);
                blocks_.erase(small);
            }
            if (blocks_.size() >= kMostBlocks)
                return {};
            const std::optional<AttachedMemory> attached = attachMemory(connection_, bytes);
            if (!attached)
                return {};
            free = blocks_.insert(blocks_.end(), Block{attached->segment, attached->memory, bytes, false});
        }
        free->inUse = true;
        memory = free->memory;
    }
    return QImage(memory, size.width(), size.height(), bytesPerLine, format, &SharedFrames::release,
                  new Lease{shared_from_this(), memory});
}

std::optional<SharedFrames::Place> SharedFrames::find(const QImage& image) const
{
    const uchar* bits = image.constBits();
    const std::lock_guard lock(mutex_);
    for (const Block& block : blocks_)
        if (block.inUse && bits >= block.memory && bits < block.memory + block.size)
            return Place{block.segment, static_cast<std::uint32_t>(bits - block.memory)};
    return std::nullopt;
}

void SharedFrames::release(void* info)
{
    const std::unique_ptr<Lease> lease(static_cast<Lease*>(info));
    lease->pool->giveBack(lease->memory);
}

void SharedFrames::giveBack(const std::uint8_t* memory)
{
    const std::lock_guard lock(mutex_);
    const auto block = std::find_if(blocks_.begin(), blocks_.end(), [memory](const Block& b) { return b.memory == memory; });
    if (block == blocks_.end())
        return;
    if (connection_) {
        block->inUse = false;
        return;
    }
    detachMemory(nullptr, {block->segment, block->memory}, block->size);
    blocks_.erase(block);
}

void SharedFrames::disconnect()
{
    const std::lock_guard lock(mutex_);
    connection_ = nullptr;
    // Blocks nobody uses go now; the rest as their images go.
    std::erase_if(blocks_, [](const Block& block) {
        if (block.inUse)
            return false;
        detachMemory(nullptr, {block.segment, block.memory}, block.size);
        return true;
    });
}

} // namespace platform
