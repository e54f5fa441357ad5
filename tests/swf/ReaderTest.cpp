// The bounds-checked reader and the container: packed fields, headers, compression and
// damaged input that must load what came before the damage.

#include "SwfBytes.h"

#include "swf/ByteReader.h"
#include "swf/Container.h"
#include "swf/Movie.h"
#include "swf/TimelinePlayer.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using swftest::Bytes;

swf::ByteReader readerOver(const QByteArray& data)
{
    return swf::ByteReader(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                     static_cast<std::size_t>(data.size())));
}

const QColor kRed(255, 0, 0);

// A movie of one red square shape placed on frame 1.
swftest::Movie squareMovie()
{
    swftest::Movie movie;
    swftest::ShapeRecords square;
    square.moveStyles(0, 0, 0, 1, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0).lineBy(0, -1000);
    movie.background(Qt::blue).tag(2, swftest::defineShape(1, 1, {kRed}, {}, square)).place(1, 1).showFrame();
    return movie;
}

TEST(SwfBitReader, SignedFieldsSignExtendAndZeroWidthFieldsReadZero)
{
    // 0b101 as a signed 3-bit field is -3; 0b011 is +3; the 1-bit field 1 is -1.
    const QByteArray data = Bytes().bits(0b101, 3).bits(0b011, 3).bits(1, 1).bits(0, 1).data();
    auto reader = readerOver(data);
    swf::BitReader bits(reader);
    EXPECT_EQ(bits.sbits(3), -3);
    EXPECT_EQ(bits.sbits(0), 0);
    EXPECT_EQ(bits.ubits(0), 0u);
    EXPECT_EQ(bits.sbits(3), 3);
    EXPECT_EQ(bits.sbits(1), -1);
    EXPECT_TRUE(reader.ok());
}

TEST(SwfBitReader, FieldsSpanBytesAndStructuresStartAligned)
{
    const QByteArray data = Bytes().bits(0x3, 2).bits(0x1FF, 9).align().u8(0xAB).data();
    auto reader = readerOver(data);
    {
        swf::BitReader bits(reader);
        EXPECT_EQ(bits.ubits(2), 3u);
        EXPECT_EQ(bits.ubits(9), 0x1FFu);
    }
    EXPECT_EQ(reader.u8(), 0xAB);
}

TEST(SwfByteReader, ReadingPastTheEndFailsAndYieldsZero)
{
    const QByteArray three("\x01\x02\x03", 3);
    auto reader = readerOver(three);
    EXPECT_EQ(reader.u16(), 0x0201);
    EXPECT_EQ(reader.u16(), 0);
    EXPECT_FALSE(reader.ok());

    const QByteArray abc("abc", 3);
    auto unterminated = readerOver(abc);
    EXPECT_TRUE(unterminated.string().isEmpty());
    EXPECT_FALSE(unterminated.ok());

    const QByteArray abcd("abcd", 4);
    auto shortSub = readerOver(abcd);
    const swf::ByteReader sub = shortSub.sub(10);
    EXPECT_FALSE(shortSub.ok());
    EXPECT_EQ(sub.remaining(), 0u);
}

TEST(SwfContainer, UncompressedZlibAndLzmaFilesReadAlike)
{
    const swftest::Movie movie = squareMovie();
    for (const QByteArray& file : {movie.fws(), movie.cws(), movie.zws()}) {
        const auto loaded = swf::Movie::load(file);
        ASSERT_TRUE(loaded) << file.left(3).toStdString();
        EXPECT_EQ(loaded->stage, QRect(0, 0, 2000, 2000));
        EXPECT_DOUBLE_EQ(loaded->frameRate, 12.0);
        EXPECT_EQ(loaded->background, QColor(Qt::blue));
        EXPECT_EQ(loaded->timeline.frames.size(), 1u);
        EXPECT_NE(loaded->character(1), nullptr);
        EXPECT_FALSE(loaded->truncated);
    }
}

TEST(SwfContainer, NotAMovieIsRefused)
{
    EXPECT_FALSE(swf::Movie::load(QByteArray()));
    EXPECT_FALSE(swf::Movie::load(QByteArray("GIF89a\0\0\0\0\0\0", 12)));
    EXPECT_FALSE(swf::Movie::load(QByteArray("FWS\x0a", 4)));
}

TEST(SwfContainer, DecompressedSizeIsCapped)
{
    // The header claims 4 GiB; the cap bounds what is allocated whatever the claim.
    QByteArray file = squareMovie().cws();
    file[4] = file[5] = file[6] = file[7] = '\xFF';
    swf::Limits limits;
    limits.maxBodyBytes = 40;
    const auto container = swf::openContainer(file, limits);
    ASSERT_TRUE(container);
    EXPECT_EQ(container->body.size(), 40);
}

TEST(SwfTags, LongHeadersReadLikeShortOnes)
{
    swftest::Movie movie;
    movie.tag(9, Bytes().rgb(QColor(1, 2, 3)), true).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->background, QColor(1, 2, 3));
    EXPECT_EQ(loaded->timeline.frames.size(), 1u);
}

TEST(SwfTags, UnknownTagsAndActionsAreSkippedWithinTheirOwnBytes)
{
    swftest::Movie movie;
    // An unknown tag whose bytes look like a background tag must not be read as one, and a
    // DoAction's bytes must not leak into the next tag.
    movie.tag(200, Bytes().u16((9 << 6) | 3).rgb(Qt::green)).tag(12, Bytes().u8(0x96).u16(0)).background(Qt::red).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->background, QColor(Qt::red));
}

TEST(SwfTags, FieldsPastTheEndOfTheirTagAreNotReadFromTheNextTag)
{
    swftest::Movie movie;
    // A background tag of one byte: reading its colour would take the next tag's bytes.
    movie.tag(9, Bytes().u8(0xFF)).background(Qt::green).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->background, QColor(Qt::green));
}

TEST(SwfTruncation, ACutFileKeepsWhatWasReadBeforeTheCut)
{
    swftest::Movie movie = squareMovie();
    movie.place(2, 1, 500, 500).showFrame().background(Qt::yellow).showFrame();
    const QByteArray whole = movie.fws();
    // Cutting inside the last background tag keeps the first two frames.
    const QByteArray cut = whole.left(whole.size() - 4);
    const auto loaded = swf::Movie::load(cut);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->truncated);
    EXPECT_EQ(loaded->timeline.frames.size(), 2u);
    EXPECT_NE(loaded->character(1), nullptr);
    EXPECT_EQ(loaded->background, QColor(Qt::blue));

    // Every prefix loads or is refused, never crashes, and never keeps more than the whole.
    for (qsizetype n = 0; n <= whole.size(); ++n) {
        const auto prefix = swf::Movie::load(whole.left(n));
        if (prefix) {
            EXPECT_LE(prefix->timeline.frames.size(), 3u);
        }
    }
    // The same holds for a cut compressed file.
    const QByteArray packed = movie.cws();
    for (qsizetype n = 8; n <= packed.size(); n += 3) {
        const auto prefix = swf::Movie::load(packed.left(n));
        if (prefix) {
            EXPECT_LE(prefix->timeline.frames.size(), 3u);
        }
    }
}

TEST(SwfLimits, OversizedBitmapsAreRefused)
{
    swftest::Movie movie;
    // A lossless bitmap claiming 65535 x 65535 pixels, far past the cap.
    movie.tag(20, Bytes().u16(7).u8(5).u16(0xFFFF).u16(0xFFFF).u32(0)).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->character(7), nullptr);
}

TEST(SwfLimits, ShapeRecordCountIsCapped)
{
    swftest::ShapeRecords many;
    many.moveStyles(0, 0, 0, 1, 0);
    for (int i = 0; i < 100; ++i)
        many.lineBy(10, 0);
    swftest::Movie movie;
    movie.tag(2, swftest::defineShape(1, 1, {kRed}, {}, many)).showFrame();
    swf::Limits limits;
    limits.maxShapeRecords = 20;
    const auto loaded = swf::Movie::load(movie.fws(), limits);
    ASSERT_TRUE(loaded);
    const auto* shape = std::get_if<swf::ShapeCharacter>(loaded->character(1));
    ASSERT_NE(shape, nullptr);
    ASSERT_EQ(shape->geometry.layers.size(), 1u);
    // 19 edges of 10 twips kept after the style record.
    EXPECT_DOUBLE_EQ(shape->geometry.layers[0].fills[0].second.boundingRect().width(), 190.0);
}

TEST(SwfSprites, ASpriteThatPlacesItselfIsNotNested)
{
    swftest::Movie inner;
    inner.place(1, 5).showFrame().end();
    swftest::Movie movie;
    movie.tag(39, Bytes().u16(5).u16(1).append(inner.tags())).place(1, 5).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    const auto& list = player.displayList();
    ASSERT_EQ(list.size(), 1u);
    ASSERT_TRUE(list.at(1).sprite);
    EXPECT_TRUE(list.at(1).sprite->displayList().empty());
}

TEST(SwfSprites, SpritesThatPlaceEachOtherStopAtTheCycle)
{
    // Sprite 5 places sprite 6 (defined later), which places sprite 5 again.
    swftest::Movie five;
    five.place(1, 6).showFrame().end();
    swftest::Movie six;
    six.place(1, 5).showFrame().end();
    swftest::Movie movie;
    movie.tag(39, Bytes().u16(5).u16(1).append(five.tags()))
        .tag(39, Bytes().u16(6).u16(1).append(six.tags()))
        .place(1, 5)
        .showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    const swf::TimelinePlayer* outer = player.displayList().at(1).sprite.get();
    ASSERT_NE(outer, nullptr);
    const swf::TimelinePlayer* middle = outer->displayList().at(1).sprite.get();
    ASSERT_NE(middle, nullptr);
    EXPECT_FALSE(middle->displayList().at(1).sprite);
    player.advance();
}

} // namespace
