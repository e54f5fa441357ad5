#include "swf/Movie.h"

#include "swf/ByteReader.h"
#include "swf/Container.h"
#include "swf/TagCode.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace swf {

namespace {

std::span<const std::uint8_t> bytesOf(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

// JPEG data in these files often carries an end-of-image, start-of-image pair between the
// tables and the image, which decoders reject; a marker pair cannot occur inside coded data.
QByteArray cleanJpeg(QByteArray data)
{
    static const QByteArray pair("\xFF\xD9\xFF\xD8", 4);
    if (data.startsWith(pair))
        data.remove(0, 4);
    const auto at = data.indexOf(pair);
    if (at > 0)
        data.remove(at, 4);
    return data;
}

// Qt's image readers refuse by themselves any image over a cap on what one image may
// allocate, 128 MiB unless the program sets another, which is less than the largest bitmap
// a movie may hold: the movie's own cap and budget decide instead. The cap is shared by the
// whole process, so it is only ever raised, and only as far as an image needs.
void allowDecoding(std::size_t bytes)
{
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    const std::size_t megabytes = (bytes + (1u << 20) - 1) >> 20;
    const int cap = QImageReader::allocationLimit();
    if (cap > 0 && static_cast<std::size_t>(cap) < megabytes)
        QImageReader::setAllocationLimit(static_cast<int>(megabytes));
}

class Loader {
public:
    Loader(Movie& movie, const Limits& limits) : movie_(movie), limits_(limits) {}

    // Why the movie is refused, once it asked for more than a budget allows; empty before.
    const QString& refusal() const { return refusal_; }

    // Reads tags into timeline; returns false when the tags ran past their bytes.
    bool readTimeline(ByteReader& reader, Timeline& timeline, int nesting, int spriteId)
    {
        Frame pending;
        for (;;) {
            if (reader.atEnd() || !refusal_.isEmpty())
                break;
            const std::uint16_t header = reader.u16();
            const auto code = static_cast<TagCode>(header >> 6);
            std::size_t length = header & 0x3F;
            if (length == 0x3F)
                length = reader.u32();
            if (!reader.ok() || length > reader.remaining()) {
                keepPending(timeline, pending);
                return false;
            }
            ByteReader tag = reader.sub(length);
            if (code == TagCode::End)
                break;
            if (code == TagCode::ShowFrame) {
                timeline.frames.push_back(std::move(pending));
                pending = Frame{};
                continue;
            }
            if (code == TagCode::DoAction) {
                // Movies of the later script engine keep these only for older players.
                ActionBlock block = actionScript3_ ? ActionBlock{} : readActionBlock(tag);
                if (!block.empty())
                    pending.actions.push_back(std::move(block));
                continue;
            }
            if (code == TagCode::FrameLabel) {
                // The first frame to carry a label keeps it.
                const QByteArray label = tag.string();
                if (tag.ok())
                    timeline.labels.emplace(label.toLower(), static_cast<int>(timeline.frames.size()));
                continue;
            }
            if (!readControlTag(code, tag, pending, spriteId) && nesting == 0)
                readDefinition(code, tag, nesting);
        }
        keepPending(timeline, pending);
        return true;
    }

private:
    static void keepPending(Timeline& timeline, Frame& pending)
    {
        if (!pending.commands.empty() || !pending.actions.empty())
            timeline.frames.push_back(std::move(pending));
    }

    // Tags allowed inside sprites too; returns whether the tag was one of them.
    bool readControlTag(TagCode code, ByteReader& tag, Frame& frame, int spriteId)
    {
        PlaceCommand command;
        switch (code) {
        case TagCode::PlaceObject:
            command.character = tag.u16();
            command.depth = tag.u16();
            command.matrix = tag.matrix();
            if (!tag.atEnd())
                command.colour = tag.colorTransform(false);
            break;
        case TagCode::PlaceObject2:
        case TagCode::PlaceObject3:
            if (!readPlace(tag, code == TagCode::PlaceObject3, command))
                return true;
            break;
        case TagCode::RemoveObject:
            tag.u16();
            command.remove = true;
            command.depth = tag.u16();
            break;
        case TagCode::RemoveObject2:
            command.remove = true;
            command.depth = tag.u16();
            break;
        default:
            return false;
        }
        if (!tag.ok())
            return true;
        // A sprite that places itself would nest without end.
        if (spriteId >= 0 && command.character == spriteId)
            return true;
        frame.commands.push_back(std::move(command));
        return true;
    }

    static bool readPlace(ByteReader& tag, bool version3, PlaceCommand& command)
    {
        const std::uint8_t flags = tag.u8();
        const std::uint8_t flags3 = version3 ? tag.u8() : 0;
        command.depth = tag.u16();
        command.move = (flags & 0x01) != 0;
        const bool hasImage = (flags3 & 0x10) != 0;
        if ((flags3 & 0x08) != 0 || (hasImage && (flags & 0x02) != 0))
            tag.string();
        if (flags & 0x02)
            command.character = tag.u16();
        if (flags & 0x04)
            command.matrix = tag.matrix();
        if (flags & 0x08)
            command.colour = tag.colorTransform(true);
        if (flags & 0x10)
            command.ratio = tag.u16();
        if (flags & 0x20)
            command.name = tag.string();
        if (flags & 0x40)
            command.clipDepth = tag.u16();
        if (version3 && (flags3 & 0x01) != 0) {
            // Filters change nothing we draw; skip them to reach the fields after.
            const int count = tag.u8();
            for (int i = 0; i < count && tag.ok(); ++i)
                if (!skipFilter(tag))
                    return tag.ok();
        }
        if (version3 && (flags3 & 0x02) != 0)
            tag.u8();
        if (version3 && (flags3 & 0x04) != 0)
            tag.u8();
        if (version3 && (flags3 & 0x20) != 0)
            command.visible = tag.u8() != 0;
        return tag.ok();
    }

    static bool skipFilter(ByteReader& tag)
    {
        switch (tag.u8()) {
        case 0: tag.skip(23); return true;
        case 1: tag.skip(9); return true;
        case 2: tag.skip(15); return true;
        case 3: tag.skip(27); return true;
        case 4:
        case 7: {
            const int stops = tag.u8();
            tag.skip(static_cast<std::size_t>(stops) * 5 + 19);
            return true;
        }
        case 5: {
            const int columns = tag.u8();
            const int rows = tag.u8();
            tag.skip(static_cast<std::size_t>(columns * rows) * 4 + 13);
            return true;
        }
        case 6: tag.skip(80); return true;
        default: return false;
        }
    }

    void define(std::uint16_t id, Character character)
    {
        movie_.dictionary.insert_or_assign(id, std::move(character));
    }

    // Counts styles against the movie's budget; past it the movie is refused.
    void spendStyles(std::size_t count)
    {
        styles_ += count;
        if (styles_ > limits_.maxStyles)
            refusal_ = QStringLiteral("its shapes have more than %1 fill and line styles, the most a movie may have")
                           .arg(limits_.maxStyles);
    }

    // Styles and records are read up to one past the movie's budget, so that passing it
    // shows without reading what would be refused.
    std::size_t stylesLeft() const { return limits_.maxStyles - std::min(styles_, limits_.maxStyles); }

    ShapeReadContext shapeContext(int version) const
    {
        const std::size_t recordsLeft = limits_.maxRecords - std::min(records_, limits_.maxRecords) + 1;
        return {version, std::min(limits_.maxShapeRecords, recordsLeft), stylesLeft()};
    }

    void spendRecords(std::size_t count)
    {
        records_ += count;
        if (records_ > limits_.maxRecords)
            refusal_ = QStringLiteral("its shapes have more than %1 edges and style changes, the most a movie may have")
                           .arg(limits_.maxRecords);
    }

    static std::size_t imageBytes(int width, int height)
    {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    }

    // Whether a decoded bitmap of that size still fits the movie's budget; one that does is
    // counted.
    bool spendImage(int width, int height)
    {
        if (imageBytes(width, height) > limits_.maxImageBytes - imageBytes_)
            return false;
        imageBytes_ += imageBytes(width, height);
        return true;
    }

    void refundImage(int width, int height) { imageBytes_ -= imageBytes(width, height); }

    void readDefinition(TagCode code, ByteReader& tag, int nesting)
    {
        switch (code) {
        case TagCode::SetBackgroundColor: {
            // The first colour set holds for the whole movie; later ones are ignored.
            const QColor colour = tag.rgb();
            if (tag.ok() && !movie_.background)
                movie_.background = colour;
            break;
        }
        case TagCode::FileAttributes:
            actionScript3_ = (tag.u8() & 0x08) != 0;
            break;
        case TagCode::DefineShape: readShape(tag, 1); break;
        case TagCode::DefineShape2: readShape(tag, 2); break;
        case TagCode::DefineShape3: readShape(tag, 3); break;
        case TagCode::DefineShape4: readShape(tag, 4); break;
        case TagCode::DefineMorphShape: readMorph(tag, false); break;
        case TagCode::DefineMorphShape2: readMorph(tag, true); break;
        case TagCode::DefineBitsLossless: readLossless(tag, false); break;
        case TagCode::DefineBitsLossless2: readLossless(tag, true); break;
        case TagCode::JpegTables: {
            const auto bytes = tag.rest();
            jpegTables_ = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
            break;
        }
        case TagCode::DefineBits: readJpeg(tag, true, false); break;
        case TagCode::DefineBitsJpeg2: readJpeg(tag, false, false); break;
        case TagCode::DefineBitsJpeg3: readJpeg(tag, false, true); break;
        case TagCode::DefineBitsJpeg4: readJpeg(tag, false, true, true); break;
        case TagCode::DefineFont: readFont1(tag); break;
        case TagCode::DefineFont2: readFont23(tag, false); break;
        case TagCode::DefineFont3: readFont23(tag, true); break;
        case TagCode::DefineText: readText(tag, false); break;
        case TagCode::DefineText2: readText(tag, true); break;
        case TagCode::DefineEditText: readEditText(tag); break;
        case TagCode::DefineSprite: readSprite(tag, nesting); break;
        default: break;
        }
    }

    void readShape(ByteReader& tag, int version)
    {
        const std::uint16_t id = tag.u16();
        tag.rect();
        bool winding = false;
        if (version == 4) {
            tag.rect();
            winding = (tag.u8() & 0x04) != 0;
        }
        std::vector<StyleTable> tables(1);
        tables[0].fills = readFillStyles(tag, version, stylesLeft() + 1);
        tables[0].lines = readLineStyles(tag, version, stylesLeft() + 1 - tables[0].fills.size());
        if (!tag.ok())
            return;
        std::vector<ShapeRecord> records;
        readShapeRecords(tag, shapeContext(version), records, tables);
        spendRecords(records.size());
        std::size_t styles = 0;
        for (const StyleTable& table : tables)
            styles += table.fills.size() + table.lines.size();
        spendStyles(styles);
        if (refusal_.isEmpty())
            define(id, ShapeCharacter{buildGeometry(records, tables, winding)});
    }

    static std::pair<FillStyle, FillStyle> readMorphFill(ByteReader& tag)
    {
        FillStyle start;
        FillStyle end;
        const std::uint8_t type = tag.u8();
        const auto kind = fillKind(type);
        if (!kind) {
            tag.fail();
            return {start, end};
        }
        start.kind = end.kind = *kind;
        switch (*kind) {
        case FillStyle::Kind::Solid:
            start.colour = tag.rgba();
            end.colour = tag.rgba();
            break;
        case FillStyle::Kind::Linear:
        case FillStyle::Kind::Radial:
        case FillStyle::Kind::Focal: {
            start.matrix = tag.matrix();
            end.matrix = tag.matrix();
            const int count = readGradientHead(tag, start.gradient);
            end.gradient = start.gradient;
            for (int i = 0; i < count && tag.ok(); ++i) {
                const int startRatio = tag.u8();
                start.gradient.stops.emplace_back(startRatio, tag.rgba());
                const int endRatio = tag.u8();
                end.gradient.stops.emplace_back(endRatio, tag.rgba());
            }
            if (*kind == FillStyle::Kind::Focal) {
                start.gradient.focal = std::clamp(tag.fixed8(), -1.0, 1.0);
                end.gradient.focal = std::clamp(tag.fixed8(), -1.0, 1.0);
            }
            break;
        }
        case FillStyle::Kind::Bitmap:
            start.bitmapId = end.bitmapId = tag.u16();
            start.matrix = tag.matrix();
            end.matrix = tag.matrix();
            start.repeat = end.repeat = (type & 1) == 0;
            start.smooth = end.smooth = (type & 2) == 0;
            break;
        }
        return {start, end};
    }

    void readMorph(ByteReader& tag, bool version2)
    {
        const std::uint16_t id = tag.u16();
        tag.rect();
        tag.rect();
        if (version2) {
            tag.rect();
            tag.rect();
            tag.u8();
        }
        const std::uint32_t offset = tag.u32();
        // The end edges start offset bytes after the offset field.
        ByteReader styles = tag.sub(std::min<std::size_t>(offset, tag.remaining()));
        MorphCharacter morph;
        std::size_t count = readStyleCount(styles, true, stylesLeft() + 1);
        for (std::size_t i = 0; i < count && styles.ok(); ++i)
            morph.fills.push_back(readMorphFill(styles));
        count = readStyleCount(styles, true, stylesLeft() + 1 - morph.fills.size());
        for (std::size_t i = 0; i < count && styles.ok(); ++i) {
            LineStyle start;
            LineStyle end;
            start.width = styles.u16();
            end.width = styles.u16();
            if (version2) {
                readLineStyle2Head(styles, start);
                end.cap = start.cap;
                end.endCap = start.endCap;
                end.join = start.join;
                end.hasFill = start.hasFill;
                end.miterLimit = start.miterLimit;
                end.fixedWidth = start.fixedWidth;
                if (start.hasFill) {
                    auto [s, e] = readMorphFill(styles);
                    start.fill = s;
                    end.fill = e;
                } else {
                    start.fill.colour = styles.rgba();
                    end.fill.colour = styles.rgba();
                }
            } else {
                start.fill.colour = styles.rgba();
                end.fill.colour = styles.rgba();
            }
            morph.lines.emplace_back(start, end);
        }
        spendStyles(morph.fills.size() + morph.lines.size());
        std::vector<StyleTable> unused;
        readShapeRecords(styles, shapeContext(3), morph.start, unused);
        spendRecords(morph.start.size());
        readShapeRecords(tag, shapeContext(3), morph.end, unused);
        spendRecords(morph.end.size());
        morph.edges = static_cast<std::size_t>(std::ranges::count_if(
            morph.start, [](const ShapeRecord& record) { return record.type != ShapeRecord::Type::Style; }));
        if (refusal_.isEmpty())
            define(id, std::move(morph));
    }

    bool bitmapSizeAllowed(int width, int height) const
    {
        return width > 0 && height > 0
            && static_cast<std::size_t>(width) * static_cast<std::size_t>(height) <= limits_.maxBitmapPixels;
    }

    void readLossless(ByteReader& tag, bool withAlpha)
    {
        const std::uint16_t id = tag.u16();
        const int format = tag.u8();
        const int width = tag.u16();
        const int height = tag.u16();
        const int tableSize = format == 3 ? tag.u8() + 1 : 0;
        if (!tag.ok() || !bitmapSizeAllowed(width, height))
            return;
        const std::size_t entryBytes = withAlpha ? 4 : 3;
        std::size_t rowBytes = 0;
        switch (format) {
        case 3: rowBytes = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3}; break;
        case 4: rowBytes = (static_cast<std::size_t>(width) * 2 + 3) & ~std::size_t{3}; break;
        case 5: rowBytes = static_cast<std::size_t>(width) * 4; break;
        default: return;
        }
        const std::size_t tableBytes = static_cast<std::size_t>(tableSize) * entryBytes;
        // Past the budget the data is not even unpacked.
        if (!spendImage(width, height))
            return;
        const auto packed = tag.rest();
        if (format == 5) {
            readLossless32(id, width, height, withAlpha, packed);
            return;
        }
        const QByteArray data = inflateBounded(packed.data(), packed.size(), tableBytes + rowBytes * static_cast<std::size_t>(height));
        // Without a single row there is nothing to show, and no reason to make the image.
        if (static_cast<std::size_t>(data.size()) < tableBytes + rowBytes) {
            refundImage(width, height);
            return;
        }
        ByteReader pixels(bytesOf(data));
        std::vector<QRgb> table;
        for (int i = 0; i < tableSize; ++i) {
            const int r = pixels.u8();
            const int g = pixels.u8();
            const int b = pixels.u8();
            const int a = withAlpha ? pixels.u8() : 255;
            // Lossless2 stores premultiplied colours, which is what the image holds.
            table.push_back(qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a));
        }
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        // Whole rows only; the reader checks each row's bounds once, for bitmaps of millions
        // of pixels.
        for (int y = 0; y < height; ++y) {
            const auto row = pixels.take(rowBytes);
            if (row.size() < rowBytes)
                break;
            const std::uint8_t* in = row.data();
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                if (format == 3) {
                    const std::size_t index = in[x];
                    line[x] = index < table.size() ? table[index] : 0;
                } else {
                    const int v = (in[2 * x] << 8) | in[2 * x + 1];
                    line[x] = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
                }
            }
        }
        define(id, BitmapCharacter{image});
    }

    // 32-bit pixels, stored as the image holds them but for the order of their bytes: they
    // are unpacked straight into the image and put in order there, so that a bitmap of
    // millions of pixels is neither held twice nor copied.
    void readLossless32(std::uint16_t id, int width, int height, bool withAlpha, std::span<const std::uint8_t> packed)
    {
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        const auto rowBytes = static_cast<std::size_t>(width) * 4;
        if (image.isNull() || static_cast<std::size_t>(image.bytesPerLine()) != rowBytes) {
            refundImage(width, height);
            return;
        }
        const std::size_t rows =
            inflateInto(packed.data(), packed.size(), image.bits(), rowBytes * static_cast<std::size_t>(height)) / rowBytes;
        // Without a single row there is nothing to show, and no reason to keep the image.
        if (rows == 0) {
            refundImage(width, height);
            return;
        }
        for (std::size_t y = 0; y < rows; ++y) {
            std::uint8_t* in = image.scanLine(static_cast<int>(y));
            auto* line = reinterpret_cast<QRgb*>(in);
            // Each pixel's four bytes are read before the pixel is written over them.
            for (int x = 0; x < width; ++x) {
                const int a = in[4 * x];
                const int r = in[4 * x + 1];
                const int g = in[4 * x + 2];
                const int b = in[4 * x + 3];
                line[x] = withAlpha ? qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a) : qRgb(r, g, b);
            }
        }
        // The rows the data does not reach stay transparent.
        for (int y = static_cast<int>(rows); y < height; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), width, QRgb{0});
        define(id, BitmapCharacter{image});
    }

    void readJpeg(ByteReader& tag, bool usesTables, bool withAlpha, bool deblocking = false)
    {
        const std::uint16_t id = tag.u16();
        const std::size_t alphaOffset = withAlpha ? tag.u32() : tag.remaining();
        // The deblocking strength is a hint for the decoder that Qt's does not take.
        if (deblocking)
            tag.u16();
        const auto imageBytes = tag.take(std::min(alphaOffset, tag.remaining()));
        QByteArray data(reinterpret_cast<const char*>(imageBytes.data()), static_cast<qsizetype>(imageBytes.size()));
        if (usesTables)
            data = jpegTables_ + data;
        data = cleanJpeg(data);
        // The size is in the header: an image too large is left out before it is decoded.
        QBuffer buffer(&data);
        QImageReader decoder(&buffer);
        const QSize size = decoder.size();
        if (!bitmapSizeAllowed(size.width(), size.height()) || !spendImage(size.width(), size.height()))
            return;
        allowDecoding(Loader::imageBytes(size.width(), size.height()));
        QImage image;
        if (!decoder.read(&image) || image.size() != size)
            return;
        // In place: a photograph's pixels are not copied.
        image = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (withAlpha && !tag.atEnd()) {
            const auto packed = tag.rest();
            const std::size_t pixels = static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height());
            const QByteArray alpha = inflateBounded(packed.data(), packed.size(), pixels);
            if (static_cast<std::size_t>(alpha.size()) == pixels) {
                // The colour planes are stored premultiplied by this alpha already.
                for (int y = 0; y < image.height(); ++y) {
                    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                    for (int x = 0; x < image.width(); ++x) {
                        const int a = static_cast<std::uint8_t>(alpha[y * image.width() + x]);
                        line[x] = qRgba(std::min(qRed(line[x]), a), std::min(qGreen(line[x]), a),
                                        std::min(qBlue(line[x]), a), a);
                    }
                }
            }
        }
        define(id, BitmapCharacter{image});
    }

    QPainterPath glyphPath(ByteReader& reader)
    {
        std::vector<StyleTable> tables(1);
        tables[0].fills.resize(1);
        std::vector<ShapeRecord> records;
        readShapeRecords(reader, shapeContext(1), records, tables);
        spendRecords(records.size());
        const ShapeGeometry geometry = buildGeometry(records, tables, false);
        QPainterPath path;
        for (const ShapeLayer& layer : geometry.layers)
            for (const auto& fill : layer.fills)
                path.addPath(fill.second);
        return path;
    }

    void readFont1(ByteReader& tag)
    {
        const std::uint16_t id = tag.u16();
        const auto body = tag.rest();
        ByteReader offsets(body);
        const std::size_t count = offsets.u16() / 2;
        FontCharacter font;
        ByteReader table(body);
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < count && table.ok(); ++i)
            starts.push_back(table.u16());
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t from = starts[i];
            const std::size_t to = i + 1 < starts.size() ? starts[i + 1] : body.size();
            if (from > to || to > body.size())
                break;
            ByteReader glyph(body.subspan(from, to - from));
            font.glyphs.push_back(glyphPath(glyph));
        }
        define(id, std::move(font));
    }

    void readFont23(ByteReader& tag, bool version3)
    {
        const std::uint16_t id = tag.u16();
        const std::uint8_t flags = tag.u8();
        tag.u8();
        tag.skip(tag.u8());
        const std::size_t count = tag.u16();
        const bool wideOffsets = (flags & 0x08) != 0;
        const bool wideCodes = (flags & 0x04) != 0;
        const bool hasLayout = (flags & 0x80) != 0;
        const auto body = tag.rest();
        ByteReader table(body);
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i <= count && table.ok(); ++i)
            starts.push_back(wideOffsets ? table.u32() : table.u16());
        if (!table.ok())
            return;
        FontCharacter font;
        font.unitsPerEm = version3 ? 20480.0 : 1024.0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t from = starts[i];
            const std::size_t to = starts[i + 1];
            if (from > to || to > body.size())
                return;
            ByteReader glyph(body.subspan(from, to - from));
            font.glyphs.push_back(glyphPath(glyph));
        }
        ByteReader after(body.subspan(std::min(starts[count], body.size())));
        for (std::size_t i = 0; i < count && after.ok(); ++i)
            font.codes.push_back(wideCodes ? after.u16() : after.u8());
        if (hasLayout) {
            font.ascent = after.u16();
            font.descent = after.u16();
            after.s16();
            for (std::size_t i = 0; i < count && after.ok(); ++i)
                font.advances.push_back(after.s16());
        }
        define(id, std::move(font));
    }

    void readText(ByteReader& tag, bool withAlpha)
    {
        const std::uint16_t id = tag.u16();
        tag.rect();
        TextCharacter text;
        text.matrix = tag.matrix();
        const int glyphBits = tag.u8();
        const int advanceBits = tag.u8();
        const FontCharacter* font = nullptr;
        QColor colour = Qt::black;
        double x = 0.0;
        double y = 0.0;
        double height = 0.0;
        while (tag.ok()) {
            const std::uint8_t flags = tag.u8();
            if (flags == 0)
                break;
            if (flags & 0x08) {
                const Character* found = movie_.character(tag.u16());
                font = found != nullptr ? std::get_if<FontCharacter>(found) : nullptr;
            }
            if (flags & 0x04)
                colour = withAlpha ? tag.rgba() : tag.rgb();
            if (flags & 0x01)
                x = tag.s16();
            if (flags & 0x02)
                y = tag.s16();
            if (flags & 0x08)
                height = tag.u16();
            const int count = tag.u8();
            QPainterPath run;
            BitReader bits(tag);
            for (int i = 0; i < count && tag.ok(); ++i) {
                const std::size_t glyph = bits.ubits(glyphBits);
                const int advance = bits.sbits(advanceBits);
                if (font != nullptr && glyph < font->glyphs.size()) {
                    const double scale = height / font->unitsPerEm;
                    run.addPath(QTransform(scale, 0, 0, scale, x, y).map(font->glyphs[glyph]));
                }
                x += advance;
            }
            if (!run.isEmpty())
                text.runs.emplace_back(colour, run);
        }
        define(id, std::move(text));
    }

    void readEditText(ByteReader& tag)
    {
        const std::uint16_t id = tag.u16();
        EditTextDefinition field;
        field.bounds = tag.rect();
        const std::uint8_t flags = tag.u8();
        const std::uint8_t flags2 = tag.u8();
        if (flags & 0x01) {
            const Character* found = movie_.character(tag.u16());
            field.font = found != nullptr ? std::get_if<FontCharacter>(found) : nullptr;
        }
        if (flags2 & 0x80)
            tag.string();
        if (flags & 0x01)
            field.height = tag.u16();
        if (flags & 0x04)
            field.colour = tag.rgba();
        if (flags & 0x02)
            tag.u16();
        if (flags2 & 0x20) {
            field.align = tag.u8();
            field.leftMargin = tag.u16();
            field.rightMargin = tag.u16();
            field.indent = tag.u16();
            field.leading = tag.s16();
        }
        tag.string();
        if (flags & 0x80) {
            const QByteArray text = tag.string();
            textBytes_ += static_cast<std::size_t>(text.size());
            if (textBytes_ > limits_.maxTextBytes) {
                refusal_ = QStringLiteral("its text fields hold more than %1 bytes of text, the most a movie may have")
                               .arg(limits_.maxTextBytes);
                return;
            }
            field.text = QString::fromUtf8(text);
        }
        field.wordWrap = (flags & 0x40) != 0;
        field.password = (flags & 0x10) != 0;
        field.html = (flags2 & 0x02) != 0;
        // A field that does not use the font's outlines draws with a device font, which has
        // no outlines here to draw; a field without a font draws nothing either.
        const bool useOutlines = (flags2 & 0x01) != 0;
        if (!tag.ok() || field.font == nullptr || !useOutlines)
            return;
        define(id, layOutEditText(field));
    }

    void readSprite(ByteReader& tag, int nesting)
    {
        const std::uint16_t id = tag.u16();
        tag.u16();
        SpriteCharacter sprite;
        readTimeline(tag, sprite.timeline, nesting + 1, id);
        define(id, std::move(sprite));
    }

    Movie& movie_;
    const Limits& limits_;
    QByteArray jpegTables_;
    std::size_t styles_ = 0;
    std::size_t records_ = 0;
    std::size_t imageBytes_ = 0;
    std::size_t textBytes_ = 0;
    QString refusal_;
    bool actionScript3_ = false;
};

} // namespace

std::shared_ptr<const Movie> Movie::load(const QByteArray& file, const Limits& limits, QString* refusal)
{
    const auto container = openContainer(file, limits);
    if (!container)
        return nullptr;
    auto movie = std::make_shared<Movie>();
    movie->limits = limits;
    movie->version = container->version;
    ByteReader reader(bytesOf(container->body));
    movie->stage = reader.rect();
    movie->frameRate = reader.u16() / 256.0;
    movie->declaredFrames = reader.u16();
    if (!reader.ok())
        return nullptr;
    if (movie->frameRate <= 0.0)
        movie->frameRate = 12.0;
    Loader loader(*movie, limits);
    movie->truncated = !loader.readTimeline(reader, movie->timeline, 0, -1);
    if (!loader.refusal().isEmpty()) {
        if (refusal != nullptr)
            *refusal = loader.refusal();
        return nullptr;
    }
    return movie;
}

std::shared_ptr<const Movie> Movie::loadFile(const QString& path, const Limits& limits, QString* refusal)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return load(file.read(static_cast<qint64>(limits.maxBodyBytes)), limits, refusal);
}

std::size_t edgeCount(const Character& character)
{
    const auto pathElements = [](const ShapeGeometry& geometry) {
        std::size_t count = 0;
        for (const ShapeLayer& layer : geometry.layers) {
            for (const auto& fill : layer.fills)
                count += static_cast<std::size_t>(fill.second.elementCount());
            for (const auto& stroke : layer.strokes)
                count += static_cast<std::size_t>(stroke.second.elementCount());
        }
        return count;
    };
    if (const auto* shape = std::get_if<ShapeCharacter>(&character))
        return pathElements(shape->geometry);
    if (const auto* morph = std::get_if<MorphCharacter>(&character))
        return morph->edges;
    if (const auto* text = std::get_if<TextCharacter>(&character)) {
        std::size_t count = 0;
        for (const auto& run : text->runs)
            count += static_cast<std::size_t>(run.second.elementCount());
        return count;
    }
    if (std::holds_alternative<BitmapCharacter>(character))
        return 4;
    return 0;
}

const Character* Movie::character(std::uint16_t id) const
{
    const auto found = dictionary.find(id);
    return found == dictionary.end() ? nullptr : &found->second;
}

QSize Movie::stageSize() const
{
    return QSize(static_cast<int>(std::ceil(stage.width() / 20.0)), static_cast<int>(std::ceil(stage.height() / 20.0)));
}

} // namespace swf
