#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvane {

// The panel group of a tile binding.
enum class TileKeyGroup : uint8_t {
    focus,
    move,
    layout,
    more,
};

// "focus", "move", "layout" or "more".
std::string_view toString(TileKeyGroup);
// Exactly one of those raw values, or nothing.
std::optional<TileKeyGroup> parseTileKeyGroup(std::string_view rawValue);

} // namespace quorvane
