#pragma once
// The running state of a timeline: its display list and frame counter. Sprites placed on it
// get their own player, so every nested sprite keeps its own frame counter.

#include "swf/Movie.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace swf {

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
    std::unique_ptr<TimelinePlayer> sprite;
    ObjectBudget::Share share;
};

class TimelinePlayer {
public:
    // Shows the first frame at once. A sprite nested in itself, nesting past the movie's limit
    // or objects past its budgets of objects and edges are not instantiated.
    TimelinePlayer(const Movie& movie, const Timeline& timeline);
    ~TimelinePlayer();

    // Runs one frame: nested sprites step first, then this timeline's next frame; after the
    // last frame the timeline starts again.
    void advance();

    // 1-based number of the frame shown.
    int currentFrame() const { return frame_ + 1; }
    int frameCount() const { return static_cast<int>(timeline_.frames.size()); }
    const std::map<std::uint16_t, DisplayObject>& displayList() const { return list_; }

private:
    TimelinePlayer(const Movie& movie, const Timeline& timeline, std::vector<std::uint16_t> ancestors,
                   std::shared_ptr<ObjectBudget> budget);
    void runFrame(int index, bool rewinding);
    void apply(const PlaceCommand& command, std::map<std::uint16_t, DisplayObject>& previous);
    void attachSprite(DisplayObject& object);
    std::size_t edgesOf(std::uint16_t id) const;

    const Movie& movie_;
    const Timeline& timeline_;
    std::vector<std::uint16_t> ancestors_;
    std::shared_ptr<ObjectBudget> budget_;
    int frame_ = 0;
    std::map<std::uint16_t, DisplayObject> list_;
};

} // namespace swf
