#include "swf/ActionQueue.h"

#include "swf/TimelinePlayer.h"

namespace swf {

namespace {

bool isWord(const QByteArray& part, const char* word)
{
    return part.compare(word, Qt::CaseInsensitive) == 0;
}

} // namespace

void ActionQueue::add(const TimelinePlayer& timeline, const ActionBlock& block)
{
    entries_.push_back({timeline.handle_, &block});
}

void ActionQueue::append(ActionQueue&& later)
{
    entries_.insert(entries_.end(), later.entries_.begin(), later.entries_.end());
    later.entries_.clear();
}

bool ActionQueue::run()
{
    bool moved = false;
    // Running a block may queue more, which the loop reaches in turn.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry entry = entries_[i];
        moved = runBlock(entry.timeline, *entry.block) || moved;
    }
    entries_.clear();
    return moved;
}

bool ActionQueue::runBlock(const Handle& own, const ActionBlock& block)
{
    bool moved = false;
    // The timeline the actions steer: the block's own until a SetTarget names another. One
    // named that is not there leaves the actions up to the next SetTarget doing nothing.
    Handle target = own;
    for (const FrameAction& action : block) {
        const auto self = own.lock();
        // A jump elsewhere took away the timeline these actions stand on.
        if (!self)
            break;
        if (action.kind == FrameAction::Kind::SetTarget) {
            TimelinePlayer* named = action.path.isEmpty() ? *self : resolve(**self, action.path);
            target = named != nullptr ? Handle(named->handle_) : Handle();
            continue;
        }
        const auto steered = target.lock();
        if (!steered)
            continue;
        TimelinePlayer* timeline = action.path.isEmpty() ? *steered : resolve(**steered, action.path);
        if (timeline == nullptr)
            continue;
        switch (action.kind) {
        case FrameAction::Kind::Stop: timeline->setPlaying(false); break;
        case FrameAction::Kind::Play: timeline->setPlaying(true); break;
        case FrameAction::Kind::NextFrame:
        case FrameAction::Kind::PreviousFrame: {
            const int frame = timeline->currentFrame() + (action.kind == FrameAction::Kind::NextFrame ? 1 : -1);
            if (frame < 1 || frame > timeline->frameCount())
                break;
            timeline->setPlaying(false);
            moved = jump(*timeline, frame) || moved;
            break;
        }
        case FrameAction::Kind::GotoFrame:
        case FrameAction::Kind::GotoLabel: {
            std::int64_t frame = action.frame;
            if (action.kind == FrameAction::Kind::GotoLabel) {
                const auto labelled = timeline->labelledFrame(action.label);
                if (!labelled)
                    break;
                frame = *labelled;
            }
            frame += action.sceneBias;
            if (frame < 1)
                break;
            timeline->setPlaying(action.play);
            moved = jump(*timeline, frame) || moved;
            break;
        }
        case FrameAction::Kind::SetTarget: break;
        }
    }
    return moved;
}

bool ActionQueue::jump(TimelinePlayer& timeline, std::int64_t frame)
{
    int& byTimeline = jumpsBy_[&timeline];
    if (byTimeline >= limits_.maxJumpsPerTimeline || jumps_ >= limits_.maxJumpsPerFrame)
        return false;
    if (!timeline.jump(frame, *this))
        return false;
    ++byTimeline;
    ++jumps_;
    return true;
}

TimelinePlayer* ActionQueue::root(TimelinePlayer& timeline)
{
    TimelinePlayer* at = &timeline;
    while (at->parent() != nullptr)
        at = at->parent();
    return at;
}

TimelinePlayer* ActionQueue::resolve(TimelinePlayer& from, const QByteArray& path)
{
    TimelinePlayer* at = &from;
    const bool slashes = path.contains('/') || path.startsWith("..");
    if (slashes && path.startsWith('/'))
        at = root(*at);
    for (const QByteArray& part : path.split(slashes ? '/' : '.')) {
        if (part.isEmpty() || part == "." || isWord(part, "this"))
            continue;
        if (part == ".." || isWord(part, "_parent"))
            at = at->parent();
        else if (isWord(part, "_root") || isWord(part, "_level0"))
            at = root(*at);
        else
            at = at->child(part);
        if (at == nullptr)
            return nullptr;
    }
    return at;
}

} // namespace swf
