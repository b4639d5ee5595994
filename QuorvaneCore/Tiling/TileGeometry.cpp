#include "Tiling/TileGeometry.h"

#include "Tiling/WindowBox.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quorvane {

namespace {

// Calls `visit(index, band)` for each band until it returns false; the one place where the split
// arithmetic lives.
template <typename Visit>
void forEachBand(double origin, double length, std::span<const double> weights, double gap, Visit visit)
{
    if (weights.empty())
        return;
    double g = std::max(gap, 0.0);
    double count = static_cast<double>(weights.size());
    double usable = length - g * (count + 1);
    if (usable < count)
        usable = count;
    double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    double cursor = origin + g;
    for (size_t index = 0; index < weights.size(); ++index) {
        double bandLength = usable * (weights[index] / total);
        if (!visit(index, Band { cursor, bandLength }))
            return;
        cursor += g + bandLength;
    }
}

Band bandAt(double origin, double length, std::span<const double> weights, size_t wanted, double gap)
{
    Band result;
    forEachBand(origin, length, weights, gap, [&](size_t index, Band band) {
        result = band;
        return index < wanted;
    });
    return result;
}

constexpr double whole[] = { 1 };
constexpr double halves[] = { 1, 1 };
constexpr double thirds[] = { 1, 1, 1 };
constexpr double twoThenOne[] = { 2, 1 };
constexpr double oneThenTwo[] = { 1, 2 };

struct GridCell {
    std::span<const double> columns;
    size_t column;
    std::span<const double> rows;
    size_t row;
};

GridCell gridCell(TileSlot slot)
{
    switch (slot) {
    case TileSlot::leftHalf:
        return { halves, 0, whole, 0 };
    case TileSlot::rightHalf:
        return { halves, 1, whole, 0 };
    case TileSlot::topHalf:
        return { whole, 0, halves, 0 };
    case TileSlot::bottomHalf:
        return { whole, 0, halves, 1 };
    case TileSlot::leftThird:
        return { thirds, 0, whole, 0 };
    case TileSlot::centerThird:
        return { thirds, 1, whole, 0 };
    case TileSlot::rightThird:
        return { thirds, 2, whole, 0 };
    case TileSlot::leftTwoThirds:
        return { twoThenOne, 0, whole, 0 };
    case TileSlot::rightTwoThirds:
        return { oneThenTwo, 1, whole, 0 };
    case TileSlot::topLeft:
        return { halves, 0, halves, 0 };
    case TileSlot::topRight:
        return { halves, 1, halves, 0 };
    case TileSlot::bottomLeft:
        return { halves, 0, halves, 1 };
    case TileSlot::bottomRight:
        return { halves, 1, halves, 1 };
    case TileSlot::fill:
        break;
    }
    return { whole, 0, whole, 0 };
}

struct LayoutPlan {
    std::vector<TileSlot> fixed;
    TileSlot stackTile;
};

LayoutPlan layoutPlan(LayoutKind kind)
{
    switch (kind) {
    case LayoutKind::halves:
        return { { TileSlot::leftHalf }, TileSlot::rightHalf };
    case LayoutKind::thirds:
        return { { TileSlot::leftThird, TileSlot::centerThird }, TileSlot::rightThird };
    case LayoutKind::quarters:
        return { { TileSlot::topLeft, TileSlot::topRight, TileSlot::bottomLeft }, TileSlot::bottomRight };
    case LayoutKind::mainStack:
        return { { TileSlot::leftTwoThirds }, TileSlot::rightThird };
    case LayoutKind::stackMain:
        return { { TileSlot::rightTwoThirds }, TileSlot::leftThird };
    case LayoutKind::horizontal:
        return { { TileSlot::topHalf }, TileSlot::bottomHalf };
    }
    __builtin_unreachable();
}

// The largest gap with which band `index` of (length, weights) keeps the manageable size; negative when
// even no gap does.
double largestBandGap(double length, std::span<const double> weights, size_t index)
{
    double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    double share = weights[index] / total;
    return (length - manageableSize / share) / (static_cast<double>(weights.size()) + 1);
}

double largestCellGap(const GridCell& cell, const Frame& area)
{
    return std::min(
        largestBandGap(area.width, cell.columns, cell.column), largestBandGap(area.height, cell.rows, cell.row));
}

double distance(const Frame& a, const Frame& b)
{
    return std::abs(a.x - b.x) + std::abs(a.y - b.y) + std::abs(a.width - b.width) + std::abs(a.height - b.height);
}

} // namespace

std::vector<Band> bands(double origin, double length, std::span<const double> weights, double gap)
{
    std::vector<Band> result;
    result.reserve(weights.size());
    forEachBand(origin, length, weights, gap, [&](size_t, Band band) {
        result.push_back(band);
        return true;
    });
    return result;
}

Frame frameForTile(TileSlot slot, const Frame& area, double gap)
{
    GridCell cell = gridCell(slot);
    // A gap too large for the area gives way: a window under the manageable size could never be tiled again.
    double g = std::clamp(largestCellGap(cell, area), 0.0, std::max(gap, 0.0));
    Band column = bandAt(area.x, area.width, cell.columns, cell.column, g);
    Band row = bandAt(area.y, area.height, cell.rows, cell.row, g);
    return { column.start, row.start, column.length, row.length };
}

double largestGap(const Frame& area)
{
    double largest = std::numeric_limits<double>::infinity();
    for (TileSlot slot : allTileSlots)
        largest = std::min(largest, largestCellGap(gridCell(slot), area));
    return std::max(largest, 0.0);
}

std::vector<Frame> stack(const Frame& region, int count, double gap)
{
    if (count <= 1)
        return { region };
    double g = std::max(gap, 0.0);
    double rows = static_cast<double>(count);
    double height = std::max((region.height - g * (rows - 1)) / rows, 1.0);
    std::vector<Frame> result;
    result.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index)
        result.push_back({ region.x, region.y + index * (height + g), region.width, height });
    return result;
}

std::vector<Frame> framesForLayout(LayoutKind kind, int windowCount, const Frame& area, double gap)
{
    LayoutPlan plan = layoutPlan(kind);
    size_t windows = static_cast<size_t>(std::max(windowCount, 1));
    std::vector<Frame> result;
    result.reserve(windows);
    for (size_t index = 0; index < std::min(windows, plan.fixed.size()); ++index)
        result.push_back(frameForTile(plan.fixed[index], area, gap));
    if (windows > plan.fixed.size()) {
        int stacked = static_cast<int>(windows - plan.fixed.size());
        for (const Frame& row : stack(frameForTile(plan.stackTile, area, gap), stacked, gap))
            result.push_back(row);
    }
    return result;
}

std::optional<TileSlot> inferSlot(const Frame& frame, const Frame& area, double gap, double tolerance)
{
    std::optional<TileSlot> best;
    double bestDistance = 0;
    for (TileSlot slot : allTileSlots) {
        double d = distance(frameForTile(slot, area, gap), frame);
        if (d <= 4 * tolerance && (!best || d < bestDistance)) {
            best = slot;
            bestDistance = d;
        }
    }
    return best;
}

std::optional<TileSlot> adjacentSlot(TileSlot slot, Direction direction)
{
    struct Row {
        std::optional<TileSlot> left, right, up, down;
    };
    auto row = [](TileSlot slot) -> Row {
        using enum TileSlot;
        switch (slot) {
        case leftHalf:
            return { {}, rightHalf, {}, {} };
        case rightHalf:
            return { leftHalf, {}, {}, {} };
        case topHalf:
            return { {}, {}, {}, bottomHalf };
        case bottomHalf:
            return { {}, {}, topHalf, {} };
        case leftThird:
            return { {}, centerThird, {}, {} };
        case centerThird:
            return { leftThird, rightThird, {}, {} };
        case rightThird:
            return { centerThird, {}, {}, {} };
        case leftTwoThirds:
            return { {}, rightThird, {}, {} };
        case rightTwoThirds:
            return { leftThird, {}, {}, {} };
        case topLeft:
            return { {}, topRight, {}, bottomLeft };
        case topRight:
            return { topLeft, {}, {}, bottomRight };
        case bottomLeft:
            return { {}, bottomRight, topLeft, {} };
        case bottomRight:
            return { bottomLeft, {}, topRight, {} };
        case fill:
            break;
        }
        return {};
    }(slot);
    switch (direction) {
    case Direction::left:
        return row.left;
    case Direction::right:
        return row.right;
    case Direction::up:
        return row.up;
    case Direction::down:
        return row.down;
    }
    __builtin_unreachable();
}

std::optional<std::string> neighborWindow(
    std::string_view from, Direction direction, const std::vector<WindowBox>& windows)
{
    auto origin = std::find_if(windows.begin(), windows.end(), [&](const WindowBox& box) { return box.id == from; });
    if (origin == windows.end())
        return std::nullopt;
    double centerX = origin->frame.midX();
    double centerY = origin->frame.midY();
    bool horizontal = direction == Direction::left || direction == Direction::right;

    const WindowBox* best = nullptr;
    double bestPrimary = 0;
    double bestCross = 0;
    for (const WindowBox& box : windows) {
        if (box.id == from)
            continue;
        double dx = box.frame.midX() - centerX;
        double dy = box.frame.midY() - centerY;
        bool candidate = (direction == Direction::left && dx < -1) || (direction == Direction::right && dx > 1)
            || (direction == Direction::up && dy < -1) || (direction == Direction::down && dy > 1);
        if (!candidate)
            continue;
        double primary = std::abs(horizontal ? dx : dy);
        double cross = std::abs(horizontal ? dy : dx);
        bool better = !best || (std::abs(primary - bestPrimary) > 8 ? primary < bestPrimary : cross < bestCross);
        if (better) {
            best = &box;
            bestPrimary = primary;
            bestCross = cross;
        }
    }
    if (!best)
        return std::nullopt;
    return best->id;
}

} // namespace quorvane
