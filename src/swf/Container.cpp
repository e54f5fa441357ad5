#include "swf/Container.h"

#include "swf/ByteReader.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <array>

namespace swf {

namespace {

constexpr std::size_t kHeaderBytes = 8;

QByteArray inflateLzma(std::span<const std::uint8_t> props, std::span<const std::uint8_t> data,
                       std::size_t bodySize)
{
    // The SWF layout keeps only the 5 property bytes; the .lzma decoder wants them followed by
    // the 64-bit uncompressed size, which the file header gives us.
    std::array<std::uint8_t, 13> header{};
    std::copy(props.begin(), props.end(), header.begin());
    for (int i = 0; i < 8; ++i)
        header[5 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::uint64_t{bodySize} >> (8 * i));

    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&stream, 256u << 20) != LZMA_OK)
        return {};
    QByteArray out;
    out.resize(static_cast<qsizetype>(bodySize));
    stream.next_out = reinterpret_cast<std::uint8_t*>(out.data());
    stream.avail_out = bodySize;

    stream.next_in = header.data();
    stream.avail_in = header.size();
    lzma_ret ret = LZMA_OK;
    while (ret == LZMA_OK && stream.avail_in > 0)
        ret = lzma_code(&stream, LZMA_RUN);
    if (ret == LZMA_OK) {
        stream.next_in = data.data();
        stream.avail_in = data.size();
        while (ret == LZMA_OK && stream.avail_out > 0 && stream.avail_in > 0)
            ret = lzma_code(&stream, LZMA_RUN);
        if (ret == LZMA_OK && stream.avail_out > 0)
            ret = lzma_code(&stream, LZMA_FINISH);
    }
    out.resize(static_cast<qsizetype>(bodySize - stream.avail_out));
    lzma_end(&stream);
    return out;
}

} // namespace

std::size_t inflateInto(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t capacity)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return 0;
    stream.next_in = const_cast<Bytef*>(data);
    int ret = Z_OK;
    std::size_t offered = 0;
    std::size_t written = 0;
    // zlib counts in 32 bits: larger input and output go to it a gigabyte at a time.
    constexpr std::size_t kMostAtOnce = 1u << 30;
    while (ret == Z_OK && written < capacity) {
        if (stream.avail_in == 0) {
            const std::size_t piece = std::min(size - offered, kMostAtOnce);
            if (piece == 0)
                break;
            stream.avail_in = static_cast<uInt>(piece);
            offered += piece;
        }
        const std::size_t room = std::min(capacity - written, kMostAtOnce);
        stream.next_out = out + written;
        stream.avail_out = static_cast<uInt>(room);
        ret = inflate(&stream, Z_NO_FLUSH);
        written += room - stream.avail_out;
        if (ret == Z_BUF_ERROR && stream.avail_in > 0)
            ret = Z_OK;
    }
    inflateEnd(&stream);
    return written;
}

QByteArray inflateBounded(const std::uint8_t* data, std::size_t size, std::size_t maxBytes)
{
    // What is allocated and never written costs no memory.
    QByteArray out(static_cast<qsizetype>(maxBytes), Qt::Uninitialized);
    out.resize(static_cast<qsizetype>(inflateInto(data, size, reinterpret_cast<std::uint8_t*>(out.data()), maxBytes)));
    return out;
}

std::optional<Container> openContainer(const QByteArray& file, const Limits& limits)
{
    ByteReader reader(std::span(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                static_cast<std::size_t>(file.size())));
    const std::uint8_t kind = reader.u8();
    const std::uint8_t w = reader.u8();
    const std::uint8_t s = reader.u8();
    Container result;
    result.version = reader.u8();
    const std::uint32_t declared = reader.u32();
    if (!reader.ok() || w != 'W' || s != 'S')
        return std::nullopt;
    const std::size_t bodySize
        = std::min<std::size_t>(declared < kHeaderBytes ? 0 : declared - kHeaderBytes, limits.maxBodyBytes);

    switch (kind) {
    case 'F': {
        const auto body = reader.rest();
        result.body = QByteArray(reinterpret_cast<const char*>(body.data()),
                                 static_cast<qsizetype>(std::min(body.size(), limits.maxBodyBytes)));
        return result;
    }
    case 'C': {
        const auto body = reader.rest();
        result.body = inflateBounded(body.data(), body.size(), bodySize);
        return result;
    }
    case 'Z': {
        reader.u32();
        const auto props = reader.take(5);
        if (!reader.ok())
            return std::nullopt;
        result.body = inflateLzma(props, reader.rest(), bodySize);
        return result;
    }
    default:
        return std::nullopt;
    }
}

} // namespace swf
