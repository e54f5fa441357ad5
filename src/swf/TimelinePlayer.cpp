#include "swf/TimelinePlayer.h"

#include "swf/ActionQueue.h"

#include <algorithm>

namespace swf {

TimelinePlayer::TimelinePlayer(const Movie& movie, const Timeline& timeline)
    : TimelinePlayer(movie, timeline, {}, std::make_shared<ObjectBudget>(movie.limits.maxDisplayObjects, movie.limits.maxEdgesAlive), nullptr)
{
    ActionQueue actions(movie.limits);
    start(actions);
    actions.run();
}

TimelinePlayer::TimelinePlayer(const Movie& movie, const Timeline& timeline, std::vector<std::uint16_t> ancestors,
                               std::shared_ptr<ObjectBudget> budget, TimelinePlayer* parent)
    : movie_(movie), timeline_(timeline), ancestors_(std::move(ancestors)), budget_(std::move(budget)), parent_(parent),
      handle_(std::make_shared<TimelinePlayer* const>(this))
{
}

TimelinePlayer::~TimelinePlayer() = default;

bool TimelinePlayer::advance()
{
    // Each frame of the movie, its sprites' included, makes objects from a budget of its own.
    budget_->startFrame();
    ActionQueue actions(movie_.limits);
    const bool stepped = step(actions);
    return actions.run() || stepped;
}

void TimelinePlayer::start(ActionQueue& actions)
{
    if (frameCount() == 0)
        return;
    frame_ = -1;
    seek(0, true, actions);
}

bool TimelinePlayer::step(ActionQueue& actions)
{
    bool moved = false;
    for (auto& [depth, object] : list_)
        if (object.sprite)
            moved = object.sprite->step(actions) || moved;
    if (!playing_ || frameCount() <= 1)
        return moved;
    seek(frame_ + 1 < frameCount() ? frame_ + 1 : 0, true, actions);
    return true;
}

bool TimelinePlayer::jump(std::int64_t frame, ActionQueue& actions)
{
    if (frame < 1 || frameCount() == 0)
        return false;
    const int index = static_cast<int>(std::min<std::int64_t>(frame, frameCount())) - 1;
    if (index == frame_)
        return false;
    seek(index, frame <= frameCount(), actions);
    return true;
}

void TimelinePlayer::seek(int index, bool withActions, ActionQueue& actions)
{
    DisplayList previous;
    int next = frame_ + 1;
    if (index < next) {
        // Going back starts from an empty list; objects placed no later than the frame gone
        // to stand there again, and those at the same depth with the same character live
        // on, as a sprite keeps playing through a loop.
        previous.swap(list_);
        std::erase_if(previous, [index](const auto& entry) { return entry.second.placedAt > index; });
        next = 0;
    }
    // Sprites placed on the way run their first frame's actions before this frame's.
    for (; next < index; ++next)
        applyFrame(next, previous, actions);
    ActionQueue placed(movie_.limits);
    applyFrame(index, previous, placed);
    frame_ = index;
    if (withActions)
        for (const ActionBlock& block : timeline_.frames[static_cast<std::size_t>(index)].actions)
            actions.add(*this, block);
    actions.append(std::move(placed));
}

void TimelinePlayer::applyFrame(int index, DisplayList& previous, ActionQueue& actions)
{
    for (const PlaceCommand& command : timeline_.frames[static_cast<std::size_t>(index)].commands)
        apply(command, index, previous, actions);
}

std::optional<int> TimelinePlayer::labelledFrame(const QByteArray& label) const
{
    const auto found = timeline_.labels.find(label.toLower());
    if (found == timeline_.labels.end())
        return std::nullopt;
    return found->second + 1;
}

TimelinePlayer* TimelinePlayer::child(const QByteArray& name) const
{
    // Names are told apart by case from version 7 of the format on.
    const Qt::CaseSensitivity sensitivity = movie_.version >= 7 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const auto& [depth, object] : list_)
        if (object.sprite && object.name.compare(name, sensitivity) == 0)
            return object.sprite.get();
    return nullptr;
}

void TimelinePlayer::apply(const PlaceCommand& command, int index, DisplayList& previous, ActionQueue& actions)
{
    if (command.remove) {
        list_.erase(command.depth);
        return;
    }
    auto existing = list_.find(command.depth);
    DisplayObject* object = nullptr;
    if (command.move && existing != list_.end()) {
        object = &existing->second;
        if (command.character && *command.character != object->characterId) {
            object->share = {};
            const std::size_t edges = edgesOf(*command.character);
            if (!budget_->admits(edges)) {
                list_.erase(existing);
                return;
            }
            object->share = ObjectBudget::Share(budget_, edges);
            object->characterId = *command.character;
            object->placedAt = index;
            object->sprite.reset();
            attachSprite(*object, actions);
        }
    } else if (command.character) {
        // The object it replaces no longer counts.
        if (existing != list_.end())
            list_.erase(existing);
        const std::size_t edges = edgesOf(*command.character);
        if (!budget_->admits(edges))
            return;
        DisplayObject fresh;
        fresh.share = ObjectBudget::Share(budget_, edges);
        fresh.placedAt = index;
        const auto kept = previous.find(command.depth);
        if (kept != previous.end() && kept->second.characterId == *command.character) {
            fresh.sprite = std::move(kept->second.sprite);
        }
        fresh.characterId = *command.character;
        if (!fresh.sprite)
            attachSprite(fresh, actions);
        object = &list_.insert_or_assign(command.depth, std::move(fresh)).first->second;
    } else {
        return;
    }
    if (command.matrix)
        object->matrix = *command.matrix;
    if (command.colour)
        object->colour = *command.colour;
    if (command.ratio)
        object->ratio = *command.ratio;
    if (command.clipDepth)
        object->clipDepth = *command.clipDepth;
    if (command.visible)
        object->visible = *command.visible;
    if (command.name)
        object->name = *command.name;
}

std::size_t TimelinePlayer::edgesOf(std::uint16_t id) const
{
    const Character* character = movie_.character(id);
    return character != nullptr ? edgeCount(*character) : 0;
}

void TimelinePlayer::attachSprite(DisplayObject& object, ActionQueue& actions)
{
    const Character* character = movie_.character(object.characterId);
    const auto* sprite = character != nullptr ? std::get_if<SpriteCharacter>(character) : nullptr;
    if (sprite == nullptr)
        return;
    if (static_cast<int>(ancestors_.size()) >= movie_.limits.maxSpriteNesting
        || std::ranges::find(ancestors_, object.characterId) != ancestors_.end())
        return;
    auto chain = ancestors_;
    chain.push_back(object.characterId);
    object.sprite.reset(new TimelinePlayer(movie_, sprite->timeline, std::move(chain), budget_, this));
    object.sprite->start(actions);
}

} // namespace swf
