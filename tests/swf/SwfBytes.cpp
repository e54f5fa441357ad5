#include "SwfBytes.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace swftest {

Bytes& Bytes::bits(std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        pending_ = static_cast<std::uint8_t>((pending_ << 1) | ((value >> i) & 1u));
        if (++used_ == 8) {
            bytes_.push_back(pending_);
            pending_ = 0;
            used_ = 0;
        }
    }
    return *this;
}

Bytes& Bytes::align()
{
    if (used_ > 0)
        bits(0, 8 - used_);
    return *this;
}

Bytes& Bytes::u8(int value)
{
    align();
    bytes_.push_back(static_cast<std::uint8_t>(value));
    return *this;
}

Bytes& Bytes::u16(int value)
{
    return u8(value & 0xFF).u8((value >> 8) & 0xFF);
}

Bytes& Bytes::u32(std::uint32_t value)
{
    return u16(static_cast<int>(value & 0xFFFF)).u16(static_cast<int>(value >> 16));
}

Bytes& Bytes::rgb(QColor colour)
{
    return u8(colour.red()).u8(colour.green()).u8(colour.blue());
}

Bytes& Bytes::rgba(QColor colour)
{
    return rgb(colour).u8(colour.alpha());
}

Bytes& Bytes::append(const Bytes& other)
{
    align();
    const QByteArray data = other.data();
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
}

Bytes& Bytes::append(const QByteArray& other)
{
    align();
    bytes_.insert(bytes_.end(), other.begin(), other.end());
    return *this;
}

Bytes& Bytes::rect(int xMin, int xMax, int yMin, int yMax)
{
    align();
    // Sixteen bits a field, as most files have, unless a field needs the widest the format allows.
    const bool wide = std::ranges::any_of(std::initializer_list<int>{xMin, xMax, yMin, yMax},
                                          [](int v) { return v < -32768 || v > 32767; });
    const int n = wide ? 31 : 16;
    bits(static_cast<std::uint32_t>(n), 5).sbits(xMin, n).sbits(xMax, n).sbits(yMin, n).sbits(yMax, n);
    return align();
}

Bytes& Bytes::matrix(int tx, int ty)
{
    align();
    bits(0, 1).bits(0, 1).bits(16, 5).sbits(tx, 16).sbits(ty, 16);
    return align();
}

Bytes& Bytes::scaleMatrix(double sx, double sy, int tx, int ty)
{
    align();
    bits(1, 1).bits(31, 5);
    sbits(static_cast<std::int32_t>(std::lround(sx * 65536)), 31).sbits(static_cast<std::int32_t>(std::lround(sy * 65536)), 31);
    bits(0, 1).bits(16, 5).sbits(tx, 16).sbits(ty, 16);
    return align();
}

QByteArray Bytes::data() const
{
    QByteArray out(reinterpret_cast<const char*>(bytes_.data()), static_cast<qsizetype>(bytes_.size()));
    if (used_ > 0)
        out.append(static_cast<char>(pending_ << (8 - used_)));
    return out;
}

ShapeRecords& ShapeRecords::styles(int fill0, int fill1, int line)
{
    bits_.bits(0, 1).bits(0x0E, 5).bits(static_cast<std::uint32_t>(fill0), 4).bits(static_cast<std::uint32_t>(fill1), 4).bits(static_cast<std::uint32_t>(line), 4);
    return *this;
}

ShapeRecords& ShapeRecords::moveTo(int x, int y)
{
    bits_.bits(0, 1).bits(0x01, 5).bits(16, 5).sbits(x, 16).sbits(y, 16);
    return *this;
}

ShapeRecords& ShapeRecords::moveStyles(int x, int y, int fill0, int fill1, int line)
{
    bits_.bits(0, 1).bits(0x0F, 5).bits(16, 5).sbits(x, 16).sbits(y, 16);
    bits_.bits(static_cast<std::uint32_t>(fill0), 4).bits(static_cast<std::uint32_t>(fill1), 4).bits(static_cast<std::uint32_t>(line), 4);
    return *this;
}

ShapeRecords& ShapeRecords::lineBy(int dx, int dy)
{
    bits_.bits(1, 1).bits(1, 1).bits(14, 4).bits(1, 1).sbits(dx, 16).sbits(dy, 16);
    return *this;
}

ShapeRecords& ShapeRecords::curveBy(int cx, int cy, int ax, int ay)
{
    bits_.bits(1, 1).bits(0, 1).bits(14, 4).sbits(cx, 16).sbits(cy, 16).sbits(ax, 16).sbits(ay, 16);
    return *this;
}

ShapeRecords& ShapeRecords::newSolidFills(std::initializer_list<QColor> fills, int version)
{
    bits_.bits(0, 1).bits(0x10, 5);
    bits_.u8(static_cast<int>(fills.size()));
    for (const QColor& c : fills) {
        bits_.u8(0);
        if (version >= 3)
            bits_.rgba(c);
        else
            bits_.rgb(c);
    }
    bits_.u8(0).u8(0x44);
    return *this;
}

Bytes ShapeRecords::finish()
{
    bits_.bits(0, 6).align();
    return Bytes().u8(0x44).append(bits_);
}

Bytes defineShape(int version, int id, std::initializer_list<QColor> fills,
                  std::initializer_list<std::pair<int, QColor>> lines, ShapeRecords records)
{
    Bytes body;
    body.u16(id).rect(-20000, 20000, -20000, 20000);
    body.u8(static_cast<int>(fills.size()));
    for (const QColor& c : fills) {
        body.u8(0);
        if (version >= 3)
            body.rgba(c);
        else
            body.rgb(c);
    }
    body.u8(static_cast<int>(lines.size()));
    for (const auto& [width, c] : lines) {
        body.u16(width);
        if (version >= 3)
            body.rgba(c);
        else
            body.rgb(c);
    }
    return body.append(records.finish());
}

Bytes placeBody(int depth, int character, int tx, int ty)
{
    return Bytes().u8(0x06).u16(depth).u16(character).matrix(tx, ty);
}

Movie& Movie::tag(int code, const Bytes& body, bool longHeader)
{
    const auto length = static_cast<int>(body.data().size());
    if (longHeader || length >= 0x3F)
        tags_.u16((code << 6) | 0x3F).u32(static_cast<std::uint32_t>(length));
    else
        tags_.u16((code << 6) | length);
    tags_.append(body);
    return *this;
}

Movie& Movie::place(int depth, int character, int tx, int ty)
{
    return tag(26, placeBody(depth, character, tx, ty));
}

Bytes Movie::body(int widthTwips, int heightTwips, double rate) const
{
    Bytes b;
    b.rect(0, widthTwips, 0, heightTwips).u16(static_cast<int>(rate * 256)).u16(1).append(tags_);
    return b;
}

QByteArray Movie::fws(int widthTwips, int heightTwips, double rate, int version) const
{
    const QByteArray payload = body(widthTwips, heightTwips, rate).data();
    return Bytes().u8('F').u8('W').u8('S').u8(version).u32(static_cast<std::uint32_t>(payload.size() + 8)).append(payload).data();
}

QByteArray Movie::cws(int widthTwips, int heightTwips, double rate, int version) const
{
    const QByteArray payload = body(widthTwips, heightTwips, rate).data();
    uLongf packedSize = compressBound(static_cast<uLong>(payload.size()));
    QByteArray packed(static_cast<qsizetype>(packedSize), '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(payload.constData()),
             static_cast<uLong>(payload.size()));
    packed.resize(static_cast<qsizetype>(packedSize));
    return Bytes().u8('C').u8('W').u8('S').u8(version).u32(static_cast<std::uint32_t>(payload.size() + 8)).append(packed).data();
}

QByteArray Movie::zws(int widthTwips, int heightTwips, double rate, int version) const
{
    const QByteArray payload = body(widthTwips, heightTwips, rate).data();
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&stream, &options) != LZMA_OK)
        return {};
    QByteArray out(payload.size() + 1024, '\0');
    stream.next_in = reinterpret_cast<const std::uint8_t*>(payload.constData());
    stream.avail_in = static_cast<std::size_t>(payload.size());
    stream.next_out = reinterpret_cast<std::uint8_t*>(out.data());
    stream.avail_out = static_cast<std::size_t>(out.size());
    while (lzma_code(&stream, LZMA_FINISH) == LZMA_OK) {
    }
    out.resize(static_cast<qsizetype>(stream.total_out));
    lzma_end(&stream);
    // The .lzma header is 5 property bytes and an 8-byte size; SWF keeps only the properties.
    const QByteArray props = out.left(5);
    const QByteArray data = out.mid(13);
    return Bytes()
        .u8('Z').u8('W').u8('S').u8(version)
        .u32(static_cast<std::uint32_t>(payload.size() + 8))
        .u32(static_cast<std::uint32_t>(data.size()))
        .append(props)
        .append(data)
        .data();
}

} // namespace swftest
