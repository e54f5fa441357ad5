#pragma once
// Counts a playing movie's display objects from outside the player, sprites' own lists
// included, so that tests can check the player's limits against an independent count.

#include "swf/TimelinePlayer.h"

#include <cstddef>

namespace swftest {

inline std::size_t objectsAlive(const swf::TimelinePlayer& player)
{
    std::size_t count = 0;
    for (const auto& [depth, object] : player.displayList())
        count += 1 + (object.sprite ? objectsAlive(*object.sprite) : 0);
    return count;
}

} // namespace swftest
