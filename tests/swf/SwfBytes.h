#pragma once
// Builds small SWF files byte by byte for the tests, so each case shows the exact bytes it
// feeds the reader instead of depending on stored binaries.

#include <QByteArray>
#include <QColor>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace swftest {

// MSB-first bit packing, byte fields little-endian, as the format stores them.
class Bytes {
public:
    Bytes& bits(std::uint32_t value, int count);
    Bytes& sbits(std::int32_t value, int count) { return bits(static_cast<std::uint32_t>(value), count); }
    Bytes& align();
    Bytes& u8(int value);
    Bytes& u16(int value);
    Bytes& u32(std::uint32_t value);
    Bytes& rgb(QColor colour);
    Bytes& rgba(QColor colour);
    Bytes& append(const Bytes& other);
    Bytes& append(const QByteArray& other);
    // A rectangle in twips, with 16-bit fields unless a value needs more.
    Bytes& rect(int xMin, int xMax, int yMin, int yMax);
    // A matrix of translation only, or of scale and translation.
    Bytes& matrix(int tx, int ty);
    Bytes& scaleMatrix(double sx, double sy, int tx, int ty);

    QByteArray data() const;
    std::size_t size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint8_t pending_ = 0;
    int used_ = 0;
};

// Shape records with 4-bit style indices and 16-bit coordinates.
class ShapeRecords {
public:
    ShapeRecords& styles(int fill0, int fill1, int line);
    ShapeRecords& moveTo(int x, int y);
    ShapeRecords& moveStyles(int x, int y, int fill0, int fill1, int line);
    ShapeRecords& lineBy(int dx, int dy);
    ShapeRecords& curveBy(int cx, int cy, int ax, int ay);
    // A style change that brings a new table of solid fills.
    ShapeRecords& newSolidFills(std::initializer_list<QColor> fills, int version);
    // The end record; returns the bytes including the leading bit-count byte.
    Bytes finish();

private:
    Bytes bits_;
};

// DefineShape body: id, bounds, solid fill styles, line styles (width, colour), records.
Bytes defineShape(int version, int id, std::initializer_list<QColor> fills,
                  std::initializer_list<std::pair<int, QColor>> lines, ShapeRecords records);

class Movie {
public:
    Movie& tag(int code, const Bytes& body, bool longHeader = false);
    Movie& showFrame() { return tag(1, Bytes()); }
    Movie& background(QColor colour) { return tag(9, Bytes().rgb(colour)); }
    // PlaceObject2 of a new character at depth, translated.
    Movie& place(int depth, int character, int tx = 0, int ty = 0);
    Movie& end() { return tag(0, Bytes()); }
    // The tags as they stand, for sprite bodies.
    Bytes tags() const { return tags_; }

    QByteArray fws(int widthTwips = 2000, int heightTwips = 2000, double rate = 12.0, int version = 10) const;
    QByteArray cws(int widthTwips = 2000, int heightTwips = 2000, double rate = 12.0, int version = 10) const;
    QByteArray zws(int widthTwips = 2000, int heightTwips = 2000, double rate = 12.0, int version = 13) const;

private:
    Bytes body(int widthTwips, int heightTwips, double rate) const;
    Bytes tags_;
};

Bytes placeBody(int depth, int character, int tx, int ty);

} // namespace swftest
