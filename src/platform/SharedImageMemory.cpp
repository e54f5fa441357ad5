#include "platform/SharedImageMemory.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

std::optional<AttachedMemory> attachMemory(xcb_connection_t* connection, std::size_t bytes)
{
    const int descriptor = memfd_create("somnara-frame", MFD_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    void* mapped = MAP_FAILED;
    if (ftruncate(descriptor, static_cast<off_t>(bytes)) == 0)
        mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (mapped == MAP_FAILED) {
        close(descriptor);
        return std::nullopt;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    // The connection sends the descriptor and closes it; the mapping stays.
    xcb_generic_error_t* error =
        xcb_request_check(connection, xcb_shm_attach_fd_checked(connection, segment, descriptor, 1));
    if (error) {
        std::free(error);
        munmap(mapped, bytes);
        return std::nullopt;
    }
    return AttachedMemory{segment, static_cast<std::uint8_t*>(mapped)};
}

void detachMemory(xcb_connection_t* connection, const AttachedMemory& attached, std::size_t bytes)
{
    if (connection) {
        xcb_shm_detach(connection, attached.segment);
        xcb_flush(connection);
    }
    munmap(attached.memory, bytes);
}

std::unique_ptr<SharedImageMemory> SharedImageMemory::make(xcb_connection_t* connection)
{
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (!extension || !extension->present)
        return nullptr;
    xcb_shm_query_version_reply_t* version =
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    // Memory is handed over as a file descriptor, which the extension takes from 1.2.
    const bool takesDescriptors = version && (version->major_version > 1 || version->minor_version >= 2);
    std::free(version);
    if (!takesDescriptors)
        return nullptr;
    auto memory = std::unique_ptr<SharedImageMemory>(new SharedImageMemory(connection));
    // A server elsewhere cannot map this machine's memory: find out now, with a small piece.
    if (!memory->reserve(4096))
        return nullptr;
    return memory;
}

SharedImageMemory::~SharedImageMemory()
{
    release();
}

void SharedImageMemory::release()
{
    if (memory_)
        detachMemory(connection_, {segment_, memory_}, size_);
    segment_ = 0;
    memory_ = nullptr;
    size_ = 0;
    awaiting_ = false;
}

bool SharedImageMemory::ready()
{
    if (!awaiting_)
        return true;
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    // Reads what has come without waiting for more.
    if (!xcb_poll_for_reply(connection_, answer_, &reply, &error))
        return false;
    std::free(reply);
    std::free(error);
    awaiting_ = false;
    return true;
}

std::uint8_t* SharedImageMemory::reserve(std::size_t bytes)
{
    if (bytes <= size_)
        return memory_;
    if (!ready())
        return nullptr;
    release();
    const std::optional<AttachedMemory> attached = attachMemory(connection_, bytes);
    if (!attached)
        return nullptr;
    segment_ = attached->segment;
    memory_ = attached->memory;
    size_ = bytes;
    return memory_;
}

void SharedImageMemory::put(std::uint32_t drawable, std::uint32_t gc, std::uint16_t width, std::uint16_t height,
                            std::int16_t x, std::int16_t y, std::uint8_t depth)
{
    xcb_shm_put_image(connection_, drawable, gc, width, height, 0, 0, width, height, x, y, depth,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment_, 0);
    // Requests are served in order: the answer to this one comes after the image is read.
    answer_ = xcb_get_input_focus(connection_).sequence;
    awaiting_ = true;
    xcb_flush(connection_);
}

} // namespace platform
