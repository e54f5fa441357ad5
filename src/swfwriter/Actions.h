#pragma once
// Action records as the writer takes them: the frame-control actions, the Push of the
// constant that a GotoFrame2 or SetTarget2 takes its operand from, the DoAction tag that
// holds them for its frame, and the FrameLabel tag that names a frame.

#include "swf/ActionCode.h"
#include "swfwriter/Tags.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace swf::write {

// A record of its code alone: Stop, Play, NextFrame, PreviousFrame, SetTarget2, or any
// other code below 0x80.
struct PlainAction {
    ActionCode code = ActionCode::Stop;
    bool operator==(const PlainAction&) const = default;
};

// Goes to a frame, counted from 0.
struct GotoFrame {
    std::uint16_t frame = 0;
    bool operator==(const GotoFrame&) const = default;
};

struct GotoLabel {
    std::string label;
    bool operator==(const GotoLabel&) const = default;
};

// Directs the actions after it at the sprite the path names; an empty path directs them
// back at the timeline the actions belong to.
struct SetTarget {
    std::string target;
    bool operator==(const SetTarget&) const = default;
};

// Goes to the frame number or label on the stack, moved on by the scene bias, then plays
// or stops there.
struct GotoFrame2 {
    bool play = false;
    std::optional<std::uint16_t> sceneBias;
    bool operator==(const GotoFrame2&) const = default;
};

// Push's values as the format types them: a string, an integer, a double.
using PushValue = std::variant<std::string, std::int32_t, double>;

struct Push {
    std::vector<PushValue> values;
    bool operator==(const Push&) const = default;
};

using Action = std::variant<PlainAction, GotoFrame, GotoLabel, SetTarget, GotoFrame2, Push>;

// One ACTIONRECORD. A plain action with a code of 0x80 or more, or operands longer than a
// record holds, throw std::invalid_argument.
void writeAction(ByteWriter& out, const Action& action);

// DoAction: the records, then the end record.
Tag doAction(const std::vector<Action>& actions);
// FrameLabel: names the frame it stands in.
Tag frameLabel(std::string_view name);

} // namespace swf::write
