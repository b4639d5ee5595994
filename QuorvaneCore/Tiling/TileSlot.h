#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quorvane {

// The fourteen named tiles of a display.
enum class TileSlot {
    leftHalf,
    rightHalf,
    topHalf,
    bottomHalf,
    leftThird,
    centerThird,
    rightThird,
    leftTwoThirds,
    rightTwoThirds,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight,
    fill,
};

// Every tile in declaration order; this order breaks ties when recognising a window's tile.
inline constexpr std::array<TileSlot, 14> allTileSlots = {
    TileSlot::leftHalf,
    TileSlot::rightHalf,
    TileSlot::topHalf,
    TileSlot::bottomHalf,
    TileSlot::leftThird,
    TileSlot::centerThird,
    TileSlot::rightThird,
    TileSlot::leftTwoThirds,
    TileSlot::rightTwoThirds,
    TileSlot::topLeft,
    TileSlot::topRight,
    TileSlot::bottomLeft,
    TileSlot::bottomRight,
    TileSlot::fill,
};

// The tile's canonical name, as written to the configuration ("left-half").
std::string_view toString(TileSlot);

// Reads a tile name typed by a person: surrounding white space and capitals are ignored, the aliases
// "maximize", "max", "full", "left", "right", "top" and "bottom" are understood, anything else must be
// a canonical name.
std::optional<TileSlot> parseTileSlot(std::string_view text);

} // namespace quorvane
