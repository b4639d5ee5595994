#pragma once

#include "Tiling/Direction.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// What a tile chord or a tile-mode key does.
struct TileAction {
    enum class Kind : uint8_t {
        focus,
        move,
        layout,
        fill,
        nextDisplay,
        previousDisplay,
        exit,
    };

    Kind kind = Kind::fill;
    // For focus and move.
    Direction direction = Direction::left;
    // For layout: 1 to 6.
    int number = 0;

    static TileAction focus(Direction direction) { return { Kind::focus, direction, 0 }; }
    static TileAction move(Direction direction) { return { Kind::move, direction, 0 }; }
    static TileAction layout(int number) { return { Kind::layout, Direction::left, number }; }
    static TileAction fill() { return { Kind::fill, Direction::left, 0 }; }
    static TileAction nextDisplay() { return { Kind::nextDisplay, Direction::left, 0 }; }
    static TileAction previousDisplay() { return { Kind::previousDisplay, Direction::left, 0 }; }
    static TileAction exit() { return { Kind::exit, Direction::left, 0 }; }

    // The name under which the action travels through hotkey registration: "tile:focus-left", "tile:layout-3".
    std::string token() const;
    // The action of exactly one of those tokens (layouts 1 to 6), or nothing.
    static std::optional<TileAction> fromToken(std::string_view token);

    friend bool operator==(const TileAction&, const TileAction&) = default;
};

} // namespace quorvane
