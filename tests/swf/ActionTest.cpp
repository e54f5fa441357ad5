// Movies that steer their own timelines: which action records the reader keeps.

#include "SwfBytes.h"

#include "swf/Movie.h"
#include "swfwriter/MovieBuilder.h"

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
}

} // namespace
