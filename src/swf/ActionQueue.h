#pragma once
// The actions of the frames one step of a movie shows, queued in the order a conforming
// player runs them and then run: a sprite already playing has stepped, and queued its
// frame's actions, before the timeline it stands on; a sprite just placed queues its first
// frame's actions after that timeline's; a jump queues the actions of the frame it lands
// on behind all others, and the actions after the jump still run.

#include "swf/Container.h"
#include "swf/FrameAction.h"

#include <QByteArray>

#include <memory>
#include <unordered_map>
#include <vector>

namespace swf {

class TimelinePlayer;

class ActionQueue {
public:
    explicit ActionQueue(const Limits& limits) : limits_(limits) {}

    void add(const TimelinePlayer& timeline, const ActionBlock& block);
    // Queues what another queue holds behind what this one does.
    void append(ActionQueue&& later);
    // Runs the blocks in turn, and those they queue, until none is left; a block whose
    // timeline is gone by its turn is passed over. Returns whether a jump showed another
    // frame of any timeline.
    bool run();

private:
    using Handle = std::weak_ptr<TimelinePlayer* const>;
    struct Entry {
        Handle timeline;
        const ActionBlock* block = nullptr;
    };

    bool runBlock(const Handle& own, const ActionBlock& block);
    bool jump(TimelinePlayer& timeline, std::int64_t frame);
    // The timeline a target path names, starting from `from`: "/a/b" or "_root.a.b" from the
    // movie's own timeline, "a/b" or "a.b" from `from`, ".." or "_parent" one up.
    static TimelinePlayer* resolve(TimelinePlayer& from, const QByteArray& path);
    static TimelinePlayer* root(TimelinePlayer& timeline);

    const Limits& limits_;
    std::vector<Entry> entries_;
    // Jumps made in this step, by each timeline and by all together.
    std::unordered_map<const TimelinePlayer*, int> jumpsBy_;
    int jumps_ = 0;
};

} // namespace swf
