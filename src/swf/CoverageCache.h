#pragma once
// What a path covered when it was last filled, kept from one frame to the next: a fill of the
// same path under the same transform but for whole pixels of translation, an object moved by
// whole pixels or one standing still under something that moves, takes the coverage moved
// instead of finding it again. EdgeTable maps a path so that such a transform gives the very
// same edges, moved, so the coverage moved is the coverage it would find.
//
// A path is kept once it has been filled in two frames running: most of a movie's paths
// change form every frame, and keeping theirs would cost more than it saves.

#include <QPainterPath>
#include <QPointF>
#include <QTransform>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace swf {

class CoverageCache {
public:
    // Where along a row the samples a path covers grow or shrink, and by how many.
    struct Change {
        int column;
        int by;
    };
    // A row's changes, in column order: changes[begin, end).
    struct Row {
        int row;
        std::uint32_t begin;
        std::uint32_t end;
    };

    struct Entry {
        QPainterPath path;
        // The transform's four factors and its translation's fraction, bit for bit.
        std::array<std::uint64_t, 6> form{};
        // The translation's whole pixels the rows were found at.
        QPointF whole;
        // Whether rows hold all that the path covers, none of it cut by the rows and
        // columns the fill was confined to.
        bool complete = false;
        std::vector<Row> rows;
        std::vector<Change> changes;
        bool used = false;
    };

    // The entry for path under toDevice, whose translation's fraction is fraction, made
    // without rows if there was none. seenBefore tells whether it was there already.
    Entry& find(const QPainterPath& path, const QTransform& toDevice, const QPointF& fraction, bool& seenBefore);

    // How many more changes may be kept: a path whose edges crowd every row would hold
    // memory out of all measure.
    std::size_t room() const { return kMostChanges - stored_; }

    // Keeps in entry the rows and changes found with the translation's whole pixels at whole,
    // all that the path covers.
    void keep(Entry& entry, const std::vector<Row>& rows, const std::vector<Change>& changes, const QPointF& whole);

    // Counts one fill that took its coverage from here.
    void reused() { ++reused_; }

    // Drops what this frame did not fill, and starts counting the next frame.
    void endFrame();

    // How many fills of the last frame ended took their coverage from here.
    std::size_t reusedLastFrame() const { return reusedLastFrame_; }

private:
    static constexpr std::size_t kMostChanges = std::size_t(1) << 18;

    std::unordered_multimap<std::uint64_t, Entry> entries_;
    std::size_t stored_ = 0;
    std::size_t reused_ = 0;
    std::size_t reusedLastFrame_ = 0;
};

} // namespace swf
