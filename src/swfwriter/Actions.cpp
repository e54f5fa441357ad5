#include "swfwriter/Actions.h"

#include <bit>
#include <limits>

namespace swf::write {

namespace {

void writePushValue(ByteWriter& out, const std::string& text)
{
    out.u8(static_cast<std::uint8_t>(PushType::String));
    out.string(text);
}

void writePushValue(ByteWriter& out, std::int32_t number)
{
    out.u8(static_cast<std::uint8_t>(PushType::Integer));
    out.u32(static_cast<std::uint32_t>(number));
}

void writePushValue(ByteWriter& out, double number)
{
    // The high 32 bits of the double come first, each half little-endian.
    const auto bits = std::bit_cast<std::uint64_t>(number);
    out.u8(static_cast<std::uint8_t>(PushType::Double));
    out.u32(static_cast<std::uint32_t>(bits >> 32));
    out.u32(static_cast<std::uint32_t>(bits & 0xffffffffu));
}

// Each record's operands, returning its code.
ActionCode writeOperands(ByteWriter& out, const GotoFrame& record)
{
    out.u16(record.frame);
    return ActionCode::GotoFrame;
}

ActionCode writeOperands(ByteWriter& out, const GotoLabel& record)
{
    out.string(record.label);
    return ActionCode::GotoLabel;
}

ActionCode writeOperands(ByteWriter& out, const SetTarget& record)
{
    out.string(record.target);
    return ActionCode::SetTarget;
}

ActionCode writeOperands(ByteWriter& out, const GotoFrame2& record)
{
    out.u8(static_cast<std::uint8_t>((record.sceneBias ? 0x02 : 0x00) | (record.play ? 0x01 : 0x00)));
    if (record.sceneBias)
        out.u16(*record.sceneBias);
    return ActionCode::GotoFrame2;
}

ActionCode writeOperands(ByteWriter& out, const Push& record)
{
    for (const PushValue& value : record.values)
        std::visit([&out](const auto& v) { writePushValue(out, v); }, value);
    return ActionCode::Push;
}

void writeRecord(ByteWriter& out, const PlainAction& record)
{
    require(!hasOperands(static_cast<std::uint8_t>(record.code)), "this action code needs operands");
    out.u8(static_cast<std::uint8_t>(record.code));
}

template <class Record>
void writeRecord(ByteWriter& out, const Record& record)
{
    ByteWriter operands;
    const ActionCode code = writeOperands(operands, record);
    const std::vector<std::uint8_t> bytes = operands.take();
    require(bytes.size() <= std::numeric_limits<std::uint16_t>::max(), "action operands too long");
    out.u8(static_cast<std::uint8_t>(code));
    out.u16(static_cast<std::uint16_t>(bytes.size()));
    out.bytes(bytes);
}

} // namespace

void writeAction(ByteWriter& out, const Action& action)
{
    std::visit([&out](const auto& record) { writeRecord(out, record); }, action);
}

Tag doAction(const std::vector<Action>& actions)
{
    ByteWriter out;
    for (const Action& action : actions)
        writeAction(out, action);
    out.u8(static_cast<std::uint8_t>(ActionCode::End));
    return {TagCode::DoAction, out.take()};
}

Tag frameLabel(std::string_view name)
{
    ByteWriter out;
    out.string(name);
    return {TagCode::FrameLabel, out.take()};
}

} // namespace swf::write
