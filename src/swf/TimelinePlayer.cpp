#include "swf/TimelinePlayer.h"

#include <algorithm>

namespace swf {

TimelinePlayer::TimelinePlayer(const Movie& movie, const Timeline& timeline)
    : TimelinePlayer(movie, timeline, {}, std::make_shared<ObjectBudget>(movie.limits.maxDisplayObjects, movie.limits.maxEdgesAlive))
{
}

TimelinePlayer::TimelinePlayer(const Movie& movie, const Timeline& timeline, std::vector<std::uint16_t> ancestors,
                               std::shared_ptr<ObjectBudget> budget)
    : movie_(movie), timeline_(timeline), ancestors_(std::move(ancestors)), budget_(std::move(budget))
{
    runFrame(0, false);
}

TimelinePlayer::~TimelinePlayer() = default;

void TimelinePlayer::advance()
{
    // The movie's own timeline starts each frame; its sprites' run within it.
    if (ancestors_.empty())
        budget_->startFrame();
    for (auto& [depth, object] : list_)
        if (object.sprite)
            object.sprite->advance();
    if (frameCount() <= 1)
        return;
    if (frame_ + 1 >= frameCount())
        runFrame(0, true);
    else
        runFrame(frame_ + 1, false);
}

void TimelinePlayer::runFrame(int index, bool rewinding)
{
    frame_ = index;
    if (index >= frameCount())
        return;
    // Going back to the start rebuilds the list from the first frame; objects that stand at
    // the same depth with the same character live on, as a sprite keeps playing through a loop.
    std::map<std::uint16_t, DisplayObject> previous;
    if (rewinding)
        previous.swap(list_);
    for (const PlaceCommand& command : timeline_.frames[static_cast<std::size_t>(index)].commands)
        apply(command, previous);
}

void TimelinePlayer::apply(const PlaceCommand& command, std::map<std::uint16_t, DisplayObject>& previous)
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
            object->sprite.reset();
            attachSprite(*object);
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
        const auto kept = previous.find(command.depth);
        if (kept != previous.end() && kept->second.characterId == *command.character) {
            fresh.sprite = std::move(kept->second.sprite);
        }
        fresh.characterId = *command.character;
        if (!fresh.sprite)
            attachSprite(fresh);
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
}

std::size_t TimelinePlayer::edgesOf(std::uint16_t id) const
{
    const Character* character = movie_.character(id);
    return character != nullptr ? edgeCount(*character) : 0;
}

void TimelinePlayer::attachSprite(DisplayObject& object)
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
    object.sprite.reset(new TimelinePlayer(movie_, sprite->timeline, std::move(chain), budget_));
}

} // namespace swf
