#pragma once

#include <utility>
#include <vector>

namespace quorvane {

// Sorts `items` stably by `before`, which may be no strict weak ordering (a tolerance band makes "equal"
// intransitive), where std::sort and std::stable_sort are undefined. Meant for a handful of items.
template <typename T, typename Before> void stableOrder(std::vector<T>& items, Before before)
{
    for (size_t index = 1; index < items.size(); ++index) {
        for (size_t at = index; at > 0 && before(items[at], items[at - 1]); --at)
            std::swap(items[at], items[at - 1]);
    }
}

} // namespace quorvane
