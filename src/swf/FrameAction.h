#pragma once
// The frame-control actions of a DoAction record, decoded once when the movie loads. The
// player steers timelines and runs no scripts: a block keeps its actions up to the first
// one of any other kind, or up to a damaged record, since what follows may depend on it.

#include "swf/ByteReader.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace swf {

struct FrameAction {
    enum class Kind { Stop, Play, NextFrame, PreviousFrame, GotoFrame, GotoLabel, SetTarget };
    Kind kind = Kind::Stop;
    // GotoFrame: the 1-based frame, before the scene bias; it may lie outside the timeline.
    std::int64_t frame = 0;
    // GotoLabel: the label.
    QByteArray label;
    // Added to the frame a goto finds.
    std::int64_t sceneBias = 0;
    // SetTarget: the path of the sprite the actions after it steer, empty for the block's
    // own timeline. A goto: the path written before its frame ("/clip:5"), empty for the
    // timeline steered.
    QByteArray path;
    // A goto plays on from its frame, or stops there.
    bool play = false;
};

using ActionBlock = std::vector<FrameAction>;

// Reads one DoAction's records, up to its end record.
ActionBlock readActionBlock(ByteReader& reader);

} // namespace swf
