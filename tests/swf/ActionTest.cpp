// Movies that steer their own timelines: which action records the reader keeps, and how
// stops, plays, jumps and targets act on the root and on sprites as the movie plays.

#include "SwfBytes.h"

#include "swf/Movie.h"
#include "swf/TimelinePlayer.h"
#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>

namespace w = swf::write;
using swf::ActionCode;
using Kind = swf::FrameAction::Kind;

namespace {

const w::Action kStop = w::PlainAction{ActionCode::Stop};
const w::Action kPlay = w::PlainAction{ActionCode::Play};
const w::Action kNextFrame = w::PlainAction{ActionCode::NextFrame};
const w::Action kPreviousFrame = w::PlainAction{ActionCode::PreviousFrame};
// An action of the script engine that the player does not run.
const w::Action kAdd = w::PlainAction{static_cast<ActionCode>(0x0A)};

std::shared_ptr<const swf::Movie> readBack(const w::MovieBuilder& movie, const swf::Limits& limits = {})
{
    const std::vector<std::uint8_t> bytes = movie.encode();
    return swf::Movie::load(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
                            limits);
}

w::MovieBuilder newMovie(std::uint8_t version = 10)
{
    return w::MovieBuilder({version, {0, 2000, 0, 2000}, 12.0, w::Compression::None});
}

std::uint16_t square(w::MovieBuilder& movie)
{
    w::ShapeBuilder builder;
    builder.polygon({{0, 0}, {400, 0}, {400, 400}, {0, 400}}, builder.addFill(w::Fill::solid({255, 0, 0, 255})));
    return movie.defineShape(builder.shape());
}

void place(w::TimelineBuilder& timeline, std::uint16_t depth, std::uint16_t character, const char* name = nullptr)
{
    w::PlaceObject placement;
    placement.depth = depth;
    placement.characterId = character;
    if (name != nullptr)
        placement.name = name;
    timeline.place(placement);
}

// Frames of a timeline, each with the actions given for it (none for an empty list).
void addFrames(w::TimelineBuilder& timeline, const std::vector<std::vector<w::Action>>& frames)
{
    for (const auto& actions : frames) {
        if (!actions.empty())
            timeline.add(w::doAction(actions));
        timeline.showFrame();
    }
}

// The frames shown after each of `steps` advances.
std::vector<int> framesShown(swf::TimelinePlayer& player, int steps)
{
    std::vector<int> shown;
    for (int i = 0; i < steps; ++i) {
        player.advance();
        shown.push_back(player.currentFrame());
    }
    return shown;
}

const swf::TimelinePlayer* spriteAt(const swf::TimelinePlayer& timeline, std::uint16_t depth)
{
    const auto found = timeline.displayList().find(depth);
    return found == timeline.displayList().end() ? nullptr : found->second.sprite.get();
}

// The block a DoAction body of raw bytes reads as.
swf::ActionBlock blockOf(const swftest::Bytes& body)
{
    swftest::Movie movie;
    movie.tag(12, body).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    if (!loaded || loaded->timeline.frames.empty() || loaded->timeline.frames[0].actions.empty())
        return {};
    return loaded->timeline.frames[0].actions[0];
}

std::vector<Kind> kinds(const swf::ActionBlock& block)
{
    std::vector<Kind> result;
    for (const swf::FrameAction& action : block)
        result.push_back(action.kind);
    return result;
}

TEST(SwfActionRecords, FrameControlActionsLabelsAndNamesReadBackAsWritten)
{
    w::MovieBuilder movie = newMovie();
    w::TimelineBuilder inner;
    inner.add(w::frameLabel("Spin"));
    inner.showFrame();
    const std::uint16_t sprite = movie.defineSprite(inner);
    place(movie.root(), 1, sprite, "wheel");
    movie.root().add(w::frameLabel("Start"));
    movie.root().add(w::doAction({
        w::GotoFrame{4},
        w::GotoLabel{"End"},
        w::SetTarget{"wheel"},
        kNextFrame,
        kPreviousFrame,
        w::SetTarget{""},
        w::Push{{std::int32_t{3}}},
        w::GotoFrame2{true, 2},
        w::Push{{std::string("/wheel:spin")}},
        w::GotoFrame2{false, {}},
        w::Push{{1.0, std::string("wheel")}},
        w::PlainAction{ActionCode::SetTarget2},
        w::Push{{std::string("7")}},
        w::GotoFrame2{false, {}},
        w::Push{{2.75}},
        w::GotoFrame2{true, {}},
        kPlay,
    }));
    movie.root().add(w::doAction({kStop}));
    movie.root().showFrame();
    movie.root().add(w::frameLabel("end"));
    movie.root().showFrame();

    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    const auto& frame = read->timeline.frames.at(0);
    ASSERT_EQ(frame.commands.size(), 1u);
    EXPECT_EQ(frame.commands[0].name, QByteArray("wheel"));
    ASSERT_EQ(frame.actions.size(), 2u) << "one block for each DoAction";
    const swf::ActionBlock& block = frame.actions[0];
    EXPECT_EQ(kinds(block), (std::vector<Kind>{Kind::GotoFrame, Kind::GotoLabel, Kind::SetTarget, Kind::NextFrame,
                                               Kind::PreviousFrame, Kind::SetTarget, Kind::GotoFrame, Kind::GotoLabel,
                                               Kind::SetTarget, Kind::GotoFrame, Kind::GotoFrame, Kind::Play}));
    EXPECT_EQ(block[0].frame, 5) << "GotoFrame counts from 0, the player from 1";
    EXPECT_FALSE(block[0].play);
    EXPECT_EQ(block[1].label, QByteArray("End"));
    EXPECT_EQ(block[2].path, QByteArray("wheel"));
    EXPECT_TRUE(block[5].path.isEmpty());
    EXPECT_EQ(block[6].frame, 3) << "GotoFrame2 takes the frame pushed just before it";
    EXPECT_EQ(block[6].sceneBias, 2);
    EXPECT_TRUE(block[6].play);
    EXPECT_EQ(block[7].path, QByteArray("/wheel"));
    EXPECT_EQ(block[7].label, QByteArray("spin"));
    EXPECT_EQ(block[8].path, QByteArray("wheel")) << "SetTarget2 takes the last value pushed";
    EXPECT_EQ(block[9].frame, 7) << "a string of digits names a frame number";
    EXPECT_EQ(block[10].frame, 2) << "a fractional frame counts whole frames";
    EXPECT_EQ(kinds(frame.actions[1]), (std::vector<Kind>{Kind::Stop}));

    EXPECT_EQ(read->timeline.labels, (std::map<QByteArray, int>{{"start", 0}, {"end", 1}}))
        << "labels in lower case, each with its 0-based frame";
    const auto* spriteRead = std::get_if<swf::SpriteCharacter>(read->character(sprite));
    ASSERT_TRUE(spriteRead);
    EXPECT_EQ(spriteRead->timeline.labels, (std::map<QByteArray, int>{{"spin", 0}}));
}

TEST(SwfActionRecords, ABlockEndsAtTheFirstActionItDoesNotRun)
{
    struct Case {
        const char* why;
        std::vector<w::Action> actions;
        std::vector<Kind> kept;
    };
    const Case cases[] = {
        {"an action of the script engine", {kStop, kAdd, kPlay}, {Kind::Stop}},
        {"GotoFrame2 without a value pushed just before it", {w::Push{{std::int32_t{2}}}, kStop, w::GotoFrame2{}, kPlay},
         {Kind::Stop}},
        {"SetTarget2 of a number", {kPlay, w::Push{{std::int32_t{2}}}, w::PlainAction{ActionCode::SetTarget2}, kStop},
         {Kind::Play}},
        {"nothing to end it", {kPlay, kStop}, {Kind::Play, Kind::Stop}},
    };
    for (const Case& c : cases) {
        w::MovieBuilder movie = newMovie();
        addFrames(movie.root(), {c.actions});
        const auto read = readBack(movie);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->timeline.frames.at(0).actions.size(), 1u) << c.why;
        EXPECT_EQ(kinds(read->timeline.frames[0].actions[0]), c.kept) << c.why;
    }
}

TEST(SwfActionRecords, DamagedOrUnrunnableRecordsEndTheirBlockQuietly)
{
    using swftest::Bytes;
    // Stop, then a GotoFrame whose length runs past the tag.
    EXPECT_EQ(kinds(blockOf(Bytes().u8(0x07).u8(0x81).u16(5).u8(1))), (std::vector<Kind>{Kind::Stop}));
    // A GotoFrame whose operands are shorter than its frame number.
    EXPECT_EQ(kinds(blockOf(Bytes().u8(0x06).u8(0x81).u16(1).u8(1).u8(0x07).u8(0))), (std::vector<Kind>{Kind::Play}));
    // A constant pool, which only a script engine can use.
    EXPECT_EQ(kinds(blockOf(Bytes().u8(0x07).u8(0x88).u16(3).u16(1).u8(0).u8(0x06).u8(0))),
              (std::vector<Kind>{Kind::Stop}));
    // A push of a register's value, which no goto can take as a constant.
    EXPECT_EQ(kinds(blockOf(Bytes().u8(0x06).u8(0x96).u16(2).u8(4).u8(0).u8(0x9F).u16(1).u8(0).u8(0))),
              (std::vector<Kind>{Kind::Play}));
    // A push of an unknown type, and a string without its end.
    EXPECT_EQ(kinds(blockOf(Bytes().u8(0x06).u8(0x96).u16(1).u8(42).u8(0x07).u8(0))), (std::vector<Kind>{Kind::Play}));
    EXPECT_EQ(kinds(blockOf(Bytes().u8(0x06).u8(0x8C).u16(2).u8('a').u8('b').u8(0x07).u8(0))),
              (std::vector<Kind>{Kind::Play}));
    // A 32-bit float pushed for a goto: 3.0 is 0x40400000.
    const swf::ActionBlock fromFloat = blockOf(Bytes().u8(0x96).u16(5).u8(1).u32(0x40400000).u8(0x9F).u16(1).u8(1).u8(0));
    ASSERT_EQ(fromFloat.size(), 1u);
    EXPECT_EQ(fromFloat[0].frame, 3);
    EXPECT_TRUE(fromFloat[0].play);
}

TEST(SwfActionRecords, MoviesForTheLaterScriptEngineKeepNoActions)
{
    swftest::Movie movie;
    // FileAttributes with the flag of the later engine, then a Stop.
    movie.tag(69, swftest::Bytes().u32(0x08)).tag(12, swftest::Bytes().u8(0x07).u8(0)).showFrame().showFrame();
    const auto loaded = swf::Movie::load(movie.fws(2000, 2000, 12.0, 10));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->timeline.frames.at(0).actions.empty());
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    EXPECT_TRUE(player.playing());
}

TEST(SwfFrameActions, StopHoldsTheFrameAndAMovieAtRestReportsNoChange)
{
    w::MovieBuilder movie = newMovie();
    addFrames(movie.root(), {{}, {}, {kStop}, {}, {}});
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_TRUE(player.playing());
    EXPECT_TRUE(player.advance());
    EXPECT_TRUE(player.advance());
    EXPECT_EQ(player.currentFrame(), 3);
    EXPECT_FALSE(player.playing());
    EXPECT_FALSE(player.advance()) << "nothing moves, so nothing needs drawing again";
    EXPECT_EQ(framesShown(player, 4), (std::vector<int>{3, 3, 3, 3}));
}

TEST(SwfFrameActions, GotoAndPlayIntoALoopSkipsTheIntroAndRebuildsTheList)
{
    w::MovieBuilder movie = newMovie();
    const std::uint16_t shape = square(movie);
    place(movie.root(), 1, shape);
    movie.root().showFrame();
    movie.root().add(w::frameLabel("Loop"));
    place(movie.root(), 2, shape);
    movie.root().showFrame();
    movie.root().remove(1);
    place(movie.root(), 3, shape);
    movie.root().showFrame();
    movie.root().showFrame();
    // gotoAndPlay("loop") as a compiler writes it for a name it cannot resolve earlier.
    movie.root().add(w::doAction({w::Push{{std::string("loop")}}, w::GotoFrame2{true, {}}}));
    movie.root().showFrame();
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_EQ(framesShown(player, 9), (std::vector<int>{2, 3, 4, 2, 3, 4, 2, 3, 4}));
    player.advance();
    ASSERT_EQ(player.currentFrame(), 2);
    std::vector<std::uint16_t> depths;
    for (const auto& [depth, object] : player.displayList())
        depths.push_back(depth);
    EXPECT_EQ(depths, (std::vector<std::uint16_t>{1, 2})) << "the list of frame 2 as the first pass showed it";
    EXPECT_TRUE(player.playing());
}

TEST(SwfFrameActions, AJumpBackKeepsOnlyTheSpritesPlacedBeforeItsFrame)
{
    // Counting sprites: one placed on frame 1 at depth 3 for good; one at depth 1, removed
    // on frame 2 and placed again on frame 3 with one at depth 2; frame 4 goes back to 1.
    w::MovieBuilder movie = newMovie();
    w::TimelineBuilder counter;
    addFrames(counter, {{}, {}, {}, {}, {}, {}});
    const std::uint16_t sprite = movie.defineSprite(counter);
    place(movie.root(), 1, sprite);
    place(movie.root(), 3, sprite);
    movie.root().showFrame();
    movie.root().remove(1);
    movie.root().showFrame();
    place(movie.root(), 1, sprite);
    place(movie.root(), 2, sprite);
    movie.root().showFrame();
    addFrames(movie.root(), {{w::GotoFrame{0}, kPlay}});
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_EQ(framesShown(player, 3), (std::vector<int>{2, 3, 1}));
    ASSERT_TRUE(spriteAt(player, 1) && spriteAt(player, 3));
    EXPECT_EQ(spriteAt(player, 3)->currentFrame(), 4) << "placed on frame 1, it plays on through the jump";
    EXPECT_EQ(spriteAt(player, 1)->currentFrame(), 1) << "the one placed on frame 3 went; frame 1 places anew";
    EXPECT_EQ(spriteAt(player, 2), nullptr) << "placed on frame 3, after the frame jumped to";
}

TEST(SwfFrameActions, GotoLabelMatchesWhateverTheCaseAndStopsThere)
{
    w::MovieBuilder movie = newMovie();
    addFrames(movie.root(), {{w::GotoLabel{"FINALE"}}, {}});
    movie.root().add(w::frameLabel("Finale"));
    addFrames(movie.root(), {{}, {}});
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_EQ(player.currentFrame(), 3) << "the first frame's actions run as it is shown";
    EXPECT_FALSE(player.playing());

    w::MovieBuilder unknown = newMovie();
    addFrames(unknown.root(), {{w::GotoLabel{"nowhere"}}, {}});
    const auto readUnknown = readBack(unknown);
    ASSERT_TRUE(readUnknown);
    swf::TimelinePlayer unmoved(*readUnknown, readUnknown->timeline);
    EXPECT_EQ(unmoved.currentFrame(), 1) << "a label the timeline lacks is no jump";
    EXPECT_TRUE(unmoved.playing());
}

TEST(SwfFrameActions, NextAndPreviousFrameStopWhereTheyLand)
{
    w::MovieBuilder movie = newMovie();
    // Frame 1 steps on and plays; frame 3 steps back and stops; frame 4 (never reached
    // again) is the last.
    addFrames(movie.root(), {{kNextFrame, kPlay}, {}, {kPreviousFrame}, {}});
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_TRUE(player.playing()) << "the actions after a jump still run";
    EXPECT_EQ(framesShown(player, 3), (std::vector<int>{2, 2, 2}));
    EXPECT_FALSE(player.playing());

    w::MovieBuilder edges = newMovie();
    addFrames(edges.root(), {{kPreviousFrame}, {kNextFrame}});
    const auto readEdges = readBack(edges);
    ASSERT_TRUE(readEdges);
    swf::TimelinePlayer atEdges(*readEdges, readEdges->timeline);
    EXPECT_EQ(framesShown(atEdges, 3), (std::vector<int>{2, 1, 2})) << "nothing lies before the first or after the last";
    EXPECT_TRUE(atEdges.playing());
}

TEST(SwfFrameActions, AJumpRunsTheRestOfItsBlockThenTheFrameItLandsOn)
{
    w::MovieBuilder movie = newMovie();
    // gotoAndPlay(4) as compilers write it, onto a frame that stops.
    addFrames(movie.root(), {{w::GotoFrame{3}, kPlay}, {}, {}, {kStop}, {}});
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_EQ(player.currentFrame(), 4);
    EXPECT_FALSE(player.playing()) << "frame 4's stop runs after the play that followed the jump";

    w::MovieBuilder beyond = newMovie();
    addFrames(beyond.root(), {{w::GotoFrame{98}}, {}, {kPlay}});
    const auto readBeyond = readBack(beyond);
    ASSERT_TRUE(readBeyond);
    swf::TimelinePlayer last(*readBeyond, readBeyond->timeline);
    EXPECT_EQ(last.currentFrame(), 3) << "a frame past the end shows the last";
    EXPECT_FALSE(last.playing()) << "whose actions do not run";

    w::MovieBuilder biased = newMovie();
    // Frame 0 with a scene bias of 2 is the second frame; frame -5 is none.
    addFrames(biased.root(), {{w::Push{{std::int32_t{-5}}}, w::GotoFrame2{false, {}}, w::Push{{std::int32_t{0}}},
                                w::GotoFrame2{true, 2}},
                               {},
                               {}});
    const auto readBiased = readBack(biased);
    ASSERT_TRUE(readBiased);
    swf::TimelinePlayer moved(*readBiased, readBiased->timeline);
    EXPECT_EQ(moved.currentFrame(), 2);
    EXPECT_TRUE(moved.playing());
}

TEST(SwfFrameActions, ASpriteToldToStopRestsWhileTheRootPlaysAndTheReverse)
{
    w::MovieBuilder movie = newMovie();
    w::TimelineBuilder counter;
    addFrames(counter, {{}, {}, {}, {}, {}, {}, {}, {}});
    const std::uint16_t sprite = movie.defineSprite(counter);
    place(movie.root(), 1, sprite, "spinner");
    place(movie.root(), 2, sprite, "other");
    addFrames(movie.root(), {{}, {w::SetTarget{"spinner"}, kStop, w::SetTarget{""}}, {}});
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_EQ(framesShown(player, 4), (std::vector<int>{2, 3, 1, 2}));
    ASSERT_TRUE(spriteAt(player, 1) && spriteAt(player, 2));
    EXPECT_EQ(spriteAt(player, 1)->currentFrame(), 2) << "stopped on the frame it showed when told";
    EXPECT_FALSE(spriteAt(player, 1)->playing());
    EXPECT_EQ(spriteAt(player, 2)->currentFrame(), 5) << "only the sprite named stops";

    w::MovieBuilder still = newMovie();
    const std::uint16_t stillSprite = still.defineSprite(counter);
    place(still.root(), 1, stillSprite);
    addFrames(still.root(), {{kStop}, {}});
    const auto readStill = readBack(still);
    ASSERT_TRUE(readStill);
    swf::TimelinePlayer rooted(*readStill, readStill->timeline);
    EXPECT_TRUE(rooted.advance()) << "a sprite still moves";
    rooted.advance();
    EXPECT_EQ(rooted.currentFrame(), 1);
    ASSERT_TRUE(spriteAt(rooted, 1));
    EXPECT_EQ(spriteAt(rooted, 1)->currentFrame(), 3) << "a stopped root lets its sprites play";
}

TEST(SwfFrameActions, TargetPathsFindSpritesByNameFromWhereTheActionsStand)
{
    // The root places "outer", which places "inner"; each timeline has two frames. The
    // actions stop the timeline a path names.
    struct Case {
        const char* why;
        bool fromInner;
        const char* path;
        std::uint8_t version;
        // Which timelines the path stops: root, outer, inner.
        std::array<bool, 3> stopped;
    };
    const Case cases[] = {
        {"a child by name", false, "outer", 10, {false, true, false}},
        {"a path down", false, "outer/inner", 10, {false, false, true}},
        {"from the root", false, "/outer/inner", 10, {false, false, true}},
        {"dots", false, "_root.outer.inner", 10, {false, false, true}},
        {"names differ by case from version 7", false, "OUTER", 10, {false, false, false}},
        {"but not before it", false, "OUTER", 6, {false, true, false}},
        {"a name not there", false, "nobody", 10, {false, false, false}},
        {"up one", true, "..", 10, {false, true, false}},
        {"up two", true, "_parent._parent", 10, {true, false, false}},
        {"the root itself", true, "/", 10, {true, false, false}},
        {"back to its own", true, "", 10, {false, false, true}},
    };
    for (const Case& c : cases) {
        w::MovieBuilder movie = newMovie(c.version);
        const std::vector<w::Action> actions = {w::SetTarget{c.path}, kStop};
        w::TimelineBuilder inner;
        addFrames(inner, {c.fromInner ? actions : std::vector<w::Action>{}, {}});
        const std::uint16_t innerId = movie.defineSprite(inner);
        w::TimelineBuilder outer;
        place(outer, 1, innerId, "inner");
        addFrames(outer, {{}, {}});
        const std::uint16_t outerId = movie.defineSprite(outer);
        place(movie.root(), 1, outerId, "outer");
        addFrames(movie.root(), {c.fromInner ? std::vector<w::Action>{} : actions, {}});
        const auto read = readBack(movie);
        ASSERT_TRUE(read);
        swf::TimelinePlayer root(*read, read->timeline);
        const swf::TimelinePlayer* outerPlayer = spriteAt(root, 1);
        ASSERT_TRUE(outerPlayer);
        const swf::TimelinePlayer* innerPlayer = spriteAt(*outerPlayer, 1);
        ASSERT_TRUE(innerPlayer);
        EXPECT_EQ((std::array<bool, 3>{!root.playing(), !outerPlayer->playing(), !innerPlayer->playing()}), c.stopped)
            << c.why;
    }
}

TEST(SwfFrameActions, PlayingSpritesRunTheirActionsBeforeTheirParentAndNewOnesAfter)
{
    // Frame 2 of the root plays it; a sprite's frame tells the root to stop. Whichever runs
    // last decides.
    const std::vector<w::Action> stopRoot = {w::SetTarget{"/"}, kStop};
    const auto rootAfterFrameTwo = [&](bool placedOnFrameTwo) {
        w::MovieBuilder movie = newMovie();
        w::TimelineBuilder sprite;
        addFrames(sprite, placedOnFrameTwo ? std::vector<std::vector<w::Action>>{stopRoot}
                                           : std::vector<std::vector<w::Action>>{{}, stopRoot});
        const std::uint16_t id = movie.defineSprite(sprite);
        if (!placedOnFrameTwo)
            place(movie.root(), 1, id, "s");
        movie.root().showFrame();
        if (placedOnFrameTwo)
            place(movie.root(), 1, id, "s");
        addFrames(movie.root(), {{kPlay}, {}});
        const auto read = readBack(movie);
        if (!read)
            return std::pair(0, false);
        swf::TimelinePlayer player(*read, read->timeline);
        player.advance();
        return std::pair(player.currentFrame(), player.playing());
    };
    EXPECT_EQ(rootAfterFrameTwo(false), std::pair(2, true)) << "the sprite already playing ran first";
    EXPECT_EQ(rootAfterFrameTwo(true), std::pair(2, false)) << "the sprite placed on frame 2 ran after the root";
}

TEST(SwfFrameActions, AJumpLoopEndsWithinItsFrame)
{
    // Each of the two frames jumps to the other, for ever if nothing bounds it.
    w::MovieBuilder movie = newMovie();
    addFrames(movie.root(), {{w::GotoFrame{1}, kPlay}, {w::GotoFrame{0}, kPlay}});
    struct Case {
        int bound;
        // Where the jumps end as the first frame shows, and after the next step.
        int atStart;
        int afterStep;
    };
    // Three jumps from frame 1 end on 2, four on 1; the step from 2 loops to 1 and from 1
    // goes to 2, and so many jumps again follow.
    for (const Case c : {Case{3, 2, 2}, Case{4, 1, 2}}) {
        swf::Limits limits;
        limits.maxJumpsPerTimeline = c.bound;
        const auto read = readBack(movie, limits);
        ASSERT_TRUE(read);
        swf::TimelinePlayer player(*read, read->timeline);
        EXPECT_EQ(player.currentFrame(), c.atStart) << c.bound << " jumps";
        player.advance();
        EXPECT_EQ(player.currentFrame(), c.afterStep) << c.bound << " jumps";
    }

    // Sprites jump once each; the movie as a whole has its own bound.
    w::MovieBuilder many = newMovie();
    w::TimelineBuilder jumper;
    addFrames(jumper, {{w::GotoFrame{1}}, {}});
    const std::uint16_t id = many.defineSprite(jumper);
    for (std::uint16_t depth = 1; depth <= 8; ++depth)
        place(many.root(), depth, id);
    many.root().showFrame();
    swf::Limits limits;
    limits.maxJumpsPerFrame = 5;
    const auto read = readBack(many, limits);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    int jumped = 0;
    for (std::uint16_t depth = 1; depth <= 8; ++depth)
        jumped += spriteAt(player, depth)->currentFrame() == 2 ? 1 : 0;
    EXPECT_EQ(jumped, 5);
}

TEST(SwfFrameActions, ActionsOfATimelineAJumpRemovedDoNotRun)
{
    // The sprite's first frame sends the root to its frame 2, where the sprite is gone; the
    // Play after that jump belongs to the removed sprite and must not reach the root.
    w::MovieBuilder movie = newMovie();
    w::TimelineBuilder sprite;
    addFrames(sprite, {{w::SetTarget{"/"}, w::GotoFrame{1}, w::SetTarget{""}, w::SetTarget{"/"}, kPlay}});
    const std::uint16_t id = movie.defineSprite(sprite);
    place(movie.root(), 1, id, "s");
    movie.root().showFrame();
    movie.root().remove(1);
    addFrames(movie.root(), {{}, {}});
    const auto read = readBack(movie);
    ASSERT_TRUE(read);
    swf::TimelinePlayer player(*read, read->timeline);
    EXPECT_EQ(player.currentFrame(), 2);
    EXPECT_TRUE(player.displayList().empty());
    EXPECT_FALSE(player.playing());
}

} // namespace
