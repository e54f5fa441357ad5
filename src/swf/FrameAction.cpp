#include "swf/FrameAction.h"

#include "swf/ActionCode.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>
#include <variant>

namespace swf {

namespace {

// A constant that Push leaves for the next action: a number or a string.
using Constant = std::variant<double, QByteArray>;

// The last value of a Push record; nullopt when it is of a kind no goto or target takes,
// or when the record is damaged (then the reader has failed).
std::optional<Constant> lastPushed(ByteReader& operands)
{
    std::optional<Constant> last;
    while (operands.ok() && !operands.atEnd()) {
        switch (static_cast<PushType>(operands.u8())) {
        case PushType::String: last = operands.string(); break;
        case PushType::Float: last = double(std::bit_cast<float>(operands.u32())); break;
        case PushType::Double: {
            const std::uint64_t high = operands.u32();
            last = std::bit_cast<double>(high << 32 | operands.u32());
            break;
        }
        case PushType::Integer: last = double(static_cast<std::int32_t>(operands.u32())); break;
        case PushType::Null:
        case PushType::Undefined: last.reset(); break;
        case PushType::Register:
        case PushType::Boolean:
        case PushType::Constant8:
            operands.u8();
            last.reset();
            break;
        case PushType::Constant16:
            operands.u16();
            last.reset();
            break;
        default: operands.fail(); break;
        }
    }
    if (!operands.ok())
        return std::nullopt;
    return last;
}

// A frame number as a goto counts it: whole frames, and nothing for one beyond any timeline.
std::int64_t wholeFrame(double number)
{
    constexpr double kBeyondAnyTimeline = 1u << 20;
    if (!std::isfinite(number))
        return 0;
    return static_cast<std::int64_t>(std::clamp(std::trunc(number), -kBeyondAnyTimeline, kBeyondAnyTimeline));
}

// GotoFrame2's operand: a number, or a string naming a frame number or label, perhaps
// after a sprite's path and a colon.
FrameAction gotoConstant(const Constant& constant)
{
    FrameAction action;
    action.kind = FrameAction::Kind::GotoFrame;
    if (const auto* number = std::get_if<double>(&constant)) {
        action.frame = wholeFrame(*number);
        return action;
    }
    QByteArray frame = std::get<QByteArray>(constant);
    const qsizetype colon = frame.lastIndexOf(':');
    if (colon >= 0) {
        action.path = frame.left(colon);
        frame = frame.mid(colon + 1);
    }
    bool numeric = false;
    const double number = frame.toDouble(&numeric);
    if (numeric) {
        action.frame = wholeFrame(number);
    } else {
        action.kind = FrameAction::Kind::GotoLabel;
        action.label = frame;
    }
    return action;
}

} // namespace

ActionBlock readActionBlock(ByteReader& reader)
{
    ActionBlock block;
    // What the record just before pushed, for a GotoFrame2 or SetTarget2 to take.
    std::optional<Constant> pushed;
    while (reader.ok()) {
        const std::uint8_t code = reader.u8();
        ByteReader operands;
        if (hasOperands(code))
            operands = reader.sub(reader.u16());
        if (!reader.ok() || code == static_cast<std::uint8_t>(ActionCode::End))
            break;
        std::optional<Constant> constant;
        std::swap(constant, pushed);
        FrameAction action;
        switch (static_cast<ActionCode>(code)) {
        case ActionCode::Stop: action.kind = FrameAction::Kind::Stop; break;
        case ActionCode::Play: action.kind = FrameAction::Kind::Play; break;
        case ActionCode::NextFrame: action.kind = FrameAction::Kind::NextFrame; break;
        case ActionCode::PreviousFrame: action.kind = FrameAction::Kind::PreviousFrame; break;
        case ActionCode::GotoFrame:
            action.kind = FrameAction::Kind::GotoFrame;
            action.frame = std::int64_t{operands.u16()} + 1;
            break;
        case ActionCode::GotoLabel:
            action.kind = FrameAction::Kind::GotoLabel;
            action.label = operands.string();
            break;
        case ActionCode::SetTarget:
            action.kind = FrameAction::Kind::SetTarget;
            action.path = operands.string();
            break;
        case ActionCode::Push:
            pushed = lastPushed(operands);
            if (!pushed)
                return block;
            continue;
        case ActionCode::GotoFrame2: {
            if (!constant)
                return block;
            const std::uint8_t flags = operands.u8();
            action = gotoConstant(*constant);
            action.play = (flags & 0x01) != 0;
            if ((flags & 0x02) != 0)
                action.sceneBias = operands.u16();
            break;
        }
        case ActionCode::SetTarget2:
            if (!constant || !std::holds_alternative<QByteArray>(*constant))
                return block;
            action.kind = FrameAction::Kind::SetTarget;
            action.path = std::get<QByteArray>(*constant);
            break;
        default: return block;
        }
        if (!operands.ok())
            break;
        block.push_back(std::move(action));
    }
    return block;
}

} // namespace swf
