#include "swf/CoverageCache.h"

#include <bit>

namespace swf {

namespace {

std::uint64_t bits(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

// Paths alike to the bit: QPainterPath's own comparison lets points a hair apart pass.
bool samePath(const QPainterPath& a, const QPainterPath& b)
{
    if (a.fillRule() != b.fillRule() || a.elementCount() != b.elementCount())
        return false;
    for (int i = 0; i < a.elementCount(); ++i) {
        const QPainterPath::Element& p = a.elementAt(i);
        const QPainterPath::Element& q = b.elementAt(i);
        if (p.type != q.type || bits(p.x) != bits(q.x) || bits(p.y) != bits(q.y))
            return false;
    }
    return true;
}

std::uint64_t mixed(std::uint64_t hash, std::uint64_t value)
{
    // FNV-1a over the value's eight bytes at once, then spread.
    hash = (hash ^ value) * 0x100000001b3u;
    return hash ^ (hash >> 29);
}

} // namespace

CoverageCache::Entry& CoverageCache::find(const QPainterPath& path, const QTransform& toDevice, const QPointF& fraction,
                                          bool& seenBefore)
{
    const std::array<std::uint64_t, 6> form = {bits(toDevice.m11()), bits(toDevice.m12()), bits(toDevice.m21()),
                                               bits(toDevice.m22()), bits(fraction.x()),    bits(fraction.y())};
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const std::uint64_t word : form)
        hash = mixed(hash, word);
    hash = mixed(hash, static_cast<std::uint64_t>(path.fillRule()));
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element& element = path.elementAt(i);
        hash = mixed(mixed(mixed(hash, static_cast<std::uint64_t>(element.type)), bits(element.x)), bits(element.y));
    }
    const auto [from, to] = entries_.equal_range(hash);
    for (auto it = from; it != to; ++it) {
        if (it->second.form == form && samePath(it->second.path, path)) {
            seenBefore = true;
            it->second.used = true;
            return it->second;
        }
    }
    seenBefore = false;
    Entry& made = entries_.emplace(hash, Entry{})->second;
    made.path = path;
    made.form = form;
    made.used = true;
    return made;
}

void CoverageCache::keep(Entry& entry, const std::vector<Row>& rows, const std::vector<Change>& changes,
                         const QPointF& whole)
{
    stored_ -= entry.changes.size();
    entry.rows = rows;
    entry.changes = changes;
    entry.whole = whole;
    entry.complete = true;
    stored_ += entry.changes.size();
}

void CoverageCache::endFrame()
{
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (!it->second.used) {
            stored_ -= it->second.changes.size();
            it = entries_.erase(it);
        } else {
            it->second.used = false;
            ++it;
        }
    }
    reusedLastFrame_ = reused_;
    reused_ = 0;
}

} // namespace swf
