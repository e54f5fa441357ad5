#pragma once
// The running state of a timeline: its display list, frame counter and whether it plays.
// Sprites placed on it get their own player, so every nested sprite keeps its own frame
// counter, and actions can stop, start and move each one.

#include "swf/Movie.h"

#include <QByteArray>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace swf {

class ActionQueue;
class TimelinePlayer;

// Counts the display objects alive in one playing movie, sprites' lists included, and the
// edges they draw: what one frame of it costs. It also counts the objects made in one frame,
// up to as many as may be alive: sprites that replace their children over and over would
// otherwise make billions while few are ever alive at once.
class ObjectBudget {
public:
    ObjectBudget(std::size_t objects, std::size_t edges) : maxObjects_(objects), maxEdges_(edges) {}
    // Whether one more object drawing that many edges fits.
    bool admits(std::size_t edges) const
    {
        return live_ < maxObjects_ && made_ < maxObjects_ && edges <= maxEdges_ - edges_;
    }
    void startFrame() { made_ = 0; }

    // Held by each object while it lives.
    class Share {
    public:
        Share() = default;
        Share(std::shared_ptr<ObjectBudget> budget, std::size_t edges) : budget_(std::move(budget)), edges_(edges)
        {
            ++budget_->live_;
            ++budget_->made_;
            budget_->edges_ += edges_;
        }
        Share(Share&& other) noexcept = default;
        Share& operator=(Share&& other) noexcept
        {
            release();
            budget_ = std::move(other.budget_);
            edges_ = other.edges_;
            return *this;
        }
        ~Share() { release(); }

    private:
        void release()
        {
            if (budget_) {
                --budget_->live_;
                budget_->edges_ -= edges_;
            }
            budget_.reset();
        }
        std::shared_ptr<ObjectBudget> budget_;
        std::size_t edges_ = 0;
    };

private:
    std::size_t maxObjects_;
    std::size_t maxEdges_;
    std::size_t live_ = 0;
    std::size_t made_ = 0;
    std::size_t edges_ = 0;
};

struct DisplayObject {
    std::uint16_t characterId = 0;
    QTransform matrix;
    ColorTransform colour;
    std::uint16_t ratio = 0;
    std::uint16_t clipDepth = 0;
    bool visible = true;
    // The instance name actions find it by.
    QByteArray name;
    // The 0-based frame of its timeline that placed it: a jump back to before it removes it.
    int placedAt = 0;
    std::unique_ptr<TimelinePlayer> sprite;
    ObjectBudget::Share share;
};

class TimelinePlayer {
public:
    // Shows the first frame at once and runs its actions. A sprite nested in itself,
    // nesting past the movie's limit or objects past its budgets of objects and edges are
    // not instantiated.
    TimelinePlayer(const Movie& movie, const Timeline& timeline);
    ~TimelinePlayer();

    // Runs one frame of the movie: nested sprites step first, then this timeline, each to
    // its next frame if it plays (after the last frame it starts again); then the actions
    // of the frames shown, which may stop, start or move any timeline. Returns whether any
    // timeline showed another frame, so that a movie at rest need not be drawn again.
    bool advance();

    // 1-based number of the frame shown.
    int currentFrame() const { return frame_ + 1; }
    int frameCount() const { return static_cast<int>(timeline_.frames.size()); }
    // Whether the timeline moves on to its next frame as the movie advances.
    bool playing() const { return playing_; }
    const std::map<std::uint16_t, DisplayObject>& displayList() const { return list_; }

private:
    // The actions run as the movie advances steer timelines through these.
    friend class ActionQueue;

    using DisplayList = std::map<std::uint16_t, DisplayObject>;

    TimelinePlayer(const Movie& movie, const Timeline& timeline, std::vector<std::uint16_t> ancestors,
                   std::shared_ptr<ObjectBudget> budget, TimelinePlayer* parent);
    // Shows the first frame and queues its actions.
    void start(ActionQueue& actions);
    // Steps nested sprites, then this timeline if it plays; returns whether any moved.
    bool step(ActionQueue& actions);
    // Shows the 0-based frame at index: ahead by running the frames between, behind by
    // rebuilding the list from the first frame, as the list is kept as changes from frame to
    // frame. The frame's actions are queued when withActions, and those of sprites it brings.
    void seek(int index, bool withActions, ActionQueue& actions);
    // Goes to a 1-based frame, or to the last for one past it (whose actions then do not
    // run). Returns whether another frame shows.
    bool jump(std::int64_t frame, ActionQueue& actions);
    // The 1-based frame a label names.
    std::optional<int> labelledFrame(const QByteArray& label) const;
    // The nearest enclosing timeline, nullptr for the movie's own.
    TimelinePlayer* parent() const { return parent_; }
    // The sprite placed under this name, the shallowest first.
    TimelinePlayer* child(const QByteArray& name) const;
    void setPlaying(bool playing) { playing_ = playing; }

    void applyFrame(int index, DisplayList& previous, ActionQueue& actions);
    void apply(const PlaceCommand& command, int index, DisplayList& previous, ActionQueue& actions);
    void attachSprite(DisplayObject& object, ActionQueue& actions);
    std::size_t edgesOf(std::uint16_t id) const;

    const Movie& movie_;
    const Timeline& timeline_;
    std::vector<std::uint16_t> ancestors_;
    std::shared_ptr<ObjectBudget> budget_;
    TimelinePlayer* parent_ = nullptr;
    int frame_ = 0;
    bool playing_ = true;
    DisplayList list_;
    // Lets queued actions tell whether this timeline still exists when their turn comes.
    const std::shared_ptr<TimelinePlayer* const> handle_;
};

} // namespace swf
