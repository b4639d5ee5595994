#pragma once

#include "Tiling/Direction.h"
#include "Tiling/Frame.h"
#include "Tiling/LayoutKind.h"
#include "Tiling/TileSlot.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct WindowBox;

// One stretch of a one-dimensional split.
struct Band {
    double start = 0;
    double length = 0;

    friend bool operator==(const Band&, const Band&) = default;
};

// Splits (origin, length) by positive `weights`, with `gap` before, between and after the bands.
// When the gaps leave less than one point per band, each band still gets its share of that minimum.
// A negative gap counts as 0.
std::vector<Band> bands(double origin, double length, std::span<const double> weights, double gap);

// Smallest width and height of a window that tiling manages; no tile comes out smaller where the area allows.
inline constexpr double manageableSize = 80;

// The rectangle of `slot` inside the visible area `area`, with `gap` around and between tiles. Where the
// gap would leave the tile under the manageable size, the tile takes as much of the gap as leaves it that size.
Frame frameForTile(TileSlot slot, const Frame& area, double gap);

// The largest gap with which every tile of `area` keeps the manageable size (0 when even no gap does).
double largestGap(const Frame& area);

// Splits `region` into `count` equal rows, top to bottom, `gap` apart but with no gap at its edges.
// A count of one or less gives the region itself.
std::vector<Frame> stack(const Frame& region, int count, double gap);

// The frames of a layout for `windowCount` windows, one per window in the caller's order
// (at least one frame, even for no windows).
std::vector<Frame> framesForLayout(LayoutKind kind, int windowCount, const Frame& area, double gap);

// The tile `frame` occupies, within a total deviation of 4 × `tolerance` over the four components:
// the closest tile, the earlier one in declaration order on a tie.
std::optional<TileSlot> inferSlot(const Frame& frame, const Frame& area, double gap, double tolerance);

// The tile next to `slot` in `direction`, where that move makes sense.
std::optional<TileSlot> adjacentSlot(TileSlot slot, Direction direction);

// The id of the window nearest to window `from` in `direction`. Windows within 8 points of the same
// distance compete by how well they line up instead.
std::optional<std::string> neighborWindow(
    std::string_view from, Direction direction, const std::vector<WindowBox>& windows);

} // namespace quorvane
