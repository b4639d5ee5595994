#pragma once

#include <optional>
#include <string_view>

namespace quorvane {

// A direction of focus and window moves between tiles and windows.
enum class Direction {
    left,
    right,
    up,
    down,
};

// "left", "right", "up" or "down".
std::string_view toString(Direction);
// The direction with exactly this name.
std::optional<Direction> parseDirection(std::string_view text);

} // namespace quorvane
