// The display list and nested timelines: place, move, replace and remove at depths,
// looping back to the first frame, and every sprite counting its own frames.

#include "DisplayListCount.h"
#include "SwfBytes.h"

#include "swf/ColorTransform.h"
#include "swf/Movie.h"
#include "swf/TimelinePlayer.h"

#include <gtest/gtest.h>

namespace {

using swftest::Bytes;

const QColor kRed(255, 0, 0);

swftest::Bytes squareShape(int id)
{
    swftest::ShapeRecords square;
    square.moveStyles(0, 0, 0, 1, 0).lineBy(100, 0).lineBy(0, 100).lineBy(-100, 0).lineBy(0, -100);
    return swftest::defineShape(1, id, {kRed}, {}, square);
}

// PlaceObject2 that moves the object at depth to a new translation.
Bytes moveBody(int depth, int tx, int ty)
{
    return Bytes().u8(0x05).u16(depth).matrix(tx, ty);
}

// PlaceObject2 that replaces the character at depth, keeping its matrix.
Bytes replaceBody(int depth, int character)
{
    return Bytes().u8(0x03).u16(depth).u16(character);
}

// A sprite whose frames each place nothing, so only its frame counter moves.
Bytes countingSprite(int id, int frames)
{
    swftest::Movie body;
    for (int i = 0; i < frames; ++i)
        body.showFrame();
    body.end();
    return Bytes().u16(id).u16(frames).append(body.tags());
}

TEST(SwfDisplayList, PlaceMoveReplaceAndRemoveActOnDepths)
{
    swftest::Movie movie;
    movie.tag(2, squareShape(1)).tag(2, squareShape(2));
    movie.place(3, 1, 10, 20).place(1, 2).showFrame();
    movie.tag(26, moveBody(3, 50, 60)).showFrame();
    movie.tag(26, replaceBody(3, 2)).showFrame();
    movie.tag(28, Bytes().u16(3)).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);

    const auto& list = player.displayList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.begin()->first, 1) << "drawn in depth order";
    EXPECT_EQ(list.at(3).characterId, 1);
    EXPECT_EQ(list.at(3).matrix, QTransform::fromTranslate(10, 20));

    player.advance();
    EXPECT_EQ(list.at(3).characterId, 1);
    EXPECT_EQ(list.at(3).matrix, QTransform::fromTranslate(50, 60));

    player.advance();
    EXPECT_EQ(list.at(3).characterId, 2);
    EXPECT_EQ(list.at(3).matrix, QTransform::fromTranslate(50, 60)) << "a replaced character keeps its place";

    player.advance();
    EXPECT_EQ(list.count(3), 0u);
    EXPECT_EQ(player.currentFrame(), 4);
}

TEST(SwfDisplayList, LoopingBackRestoresTheFirstFrame)
{
    swftest::Movie movie;
    movie.tag(2, squareShape(1));
    movie.place(1, 1, 10, 10).showFrame();
    movie.tag(26, moveBody(1, 90, 90)).place(2, 1).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    player.advance();
    ASSERT_EQ(player.displayList().size(), 2u);
    player.advance();
    EXPECT_EQ(player.currentFrame(), 1);
    ASSERT_EQ(player.displayList().size(), 1u);
    EXPECT_EQ(player.displayList().at(1).matrix, QTransform::fromTranslate(10, 10));
}

TEST(SwfNestedSprites, EverySpriteCountsItsOwnFrames)
{
    // Sprite 5 has three frames; the main timeline has two and places a second copy of the
    // sprite on its second frame.
    swftest::Movie movie;
    movie.tag(39, countingSprite(5, 3)).place(1, 5).showFrame().place(2, 5).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    const auto spriteFrame = [&](int depth) {
        const auto found = player.displayList().find(static_cast<std::uint16_t>(depth));
        return found == player.displayList().end() || !found->second.sprite ? 0 : found->second.sprite->currentFrame();
    };
    EXPECT_EQ(spriteFrame(1), 1);
    player.advance();
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_EQ(spriteFrame(1), 2);
    EXPECT_EQ(spriteFrame(2), 1);
    player.advance();
    EXPECT_EQ(player.currentFrame(), 1);
    // The copy at depth 1 stands in the first frame too, so it plays on through the loop.
    EXPECT_EQ(spriteFrame(1), 3);
    EXPECT_EQ(spriteFrame(2), 0);
    player.advance();
    EXPECT_EQ(spriteFrame(1), 1);
    EXPECT_EQ(spriteFrame(2), 1);
}

TEST(SwfNestedSprites, ASingleFrameTimelineStaysPut)
{
    swftest::Movie movie;
    movie.tag(39, countingSprite(5, 4)).place(1, 5).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    for (int i = 0; i < 5; ++i)
        player.advance();
    EXPECT_EQ(player.currentFrame(), 1);
    EXPECT_EQ(player.displayList().at(1).sprite->currentFrame(), 2);
}

TEST(SwfNestedSprites, NestingCannotMultiplyObjectsWithoutBound)
{
    // Three levels of 60 copies each would be 216,000 objects from a few hundred bytes.
    swftest::Movie five;
    swftest::Movie six;
    swftest::Movie movie;
    movie.tag(2, squareShape(1));
    for (int depth = 1; depth <= 60; ++depth) {
        five.place(depth, 1);
        six.place(depth, 5);
        movie.place(depth, 6);
    }
    five.showFrame().end();
    six.showFrame().end();
    movie.tag(39, Bytes().u16(5).u16(1).append(five.tags()));
    movie.tag(39, Bytes().u16(6).u16(1).append(six.tags()));
    movie.showFrame();
    swf::Limits limits;
    limits.maxDisplayObjects = 1000;
    const auto loaded = swf::Movie::load(movie.fws(), limits);
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    EXPECT_EQ(swftest::objectsAlive(player), 1000u);
    player.advance();
    EXPECT_EQ(swftest::objectsAlive(player), 1000u);
}

TEST(SwfColourTransform, MultiplyThenAddClampedAndComposedInnerFirst)
{
    swf::ColorTransform half;
    half.mult = {0.5, 0.5, 0.5, 0.5};
    swf::ColorTransform plus;
    plus.add = {100, 0, -50, 0};
    EXPECT_EQ(half.apply(QColor(200, 100, 40, 255)), QColor(100, 50, 20, 127));
    EXPECT_EQ(plus.apply(QColor(200, 100, 40, 255)), QColor(255, 100, 0, 255));
    // The parent (half) applies after the child (plus).
    EXPECT_EQ(half.after(plus).apply(QColor(100, 100, 100)), QColor(100, 50, 25, 127));
    EXPECT_TRUE(swf::ColorTransform().isIdentity());
    EXPECT_FALSE(half.isIdentity());
}

} // namespace
