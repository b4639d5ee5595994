#include "Tiling/TileGeometry.h"

#include "QuorvaneCore/Tiling/FrameTesting.h"
#include "Tiling/WindowBox.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::FrameNear;
using test::FramesNear;
using testing::Pointwise;

// A 1440 × 900 display under a 25-point menu bar with the small gap of 8: usable widths 1416 (two
// columns) and 1408 (three), heights 859 (one row) and 851 (two rows of 425.5).
const Frame area { 0, 25, 1440, 875 };
constexpr double gap = 8, third = 1408.0 / 3;
const Frame leftHalf { 8, 33, 708, 859 }, rightHalf { 724, 33, 708, 859 }, topHalf { 8, 33, 1424, 425.5 },
    bottomHalf { 8, 466.5, 1424, 425.5 }, leftThird { 8, 33, third, 859 }, centerThird { 16 + third, 33, third, 859 },
    rightThird { 24 + 2 * third, 33, third, 859 }, leftTwoThirds { 8, 33, 944, 859 },
    rightTwoThirds { 488, 33, 944, 859 }, topLeft { 8, 33, 708, 425.5 }, topRight { 724, 33, 708, 425.5 },
    bottomLeft { 8, 466.5, 708, 425.5 }, bottomRight { 724, 466.5, 708, 425.5 }, fill { 8, 33, 1424, 859 };

TEST(TileGeometry, EveryTileOfTheWorkedExample)
{
    const Frame expected[] = { leftHalf, rightHalf, topHalf, bottomHalf, leftThird, centerThird, rightThird,
        leftTwoThirds, rightTwoThirds, topLeft, topRight, bottomLeft, bottomRight, fill };
    for (size_t index = 0; index < allTileSlots.size(); ++index)
        EXPECT_THAT(frameForTile(allTileSlots[index], area, gap), FrameNear(expected[index])) << index;
    // Fractions are passed on, never rounded.
    EXPECT_NEAR(frameForTile(TileSlot::rightThird, area, gap).x, 962.0 + 2.0 / 3, 1e-9);
}

TEST(TileGeometry, GapsAndSplitsAtTheirLimits)
{
    const Frame square { 0, 0, 1000, 800 }, tiny { 0, 0, 10, 10 }, region { 10, 20, 100, 300 };
    EXPECT_EQ(frameForTile(TileSlot::rightHalf, square, 0), (Frame { 500, 0, 500, 800 }));
    EXPECT_EQ(frameForTile(TileSlot::leftHalf, square, -5), (Frame { 0, 0, 500, 800 })); // a negative gap is no gap
    // Smaller than the manageable size even without gaps: the gap gives way altogether.
    EXPECT_EQ(frameForTile(TileSlot::fill, tiny, 8), tiny);
    EXPECT_EQ(frameForTile(TileSlot::rightHalf, tiny, 8), (Frame { 5, 0, 5, 10 }));
    // Rows of a stack smaller than their gaps each keep one point.
    EXPECT_EQ(
        stack({ 0, 0, 100, 10 }, 3, 8), (std::vector<Frame> { { 0, 0, 100, 1 }, { 0, 9, 100, 1 }, { 0, 18, 100, 1 } }));
    EXPECT_EQ(stack(region, 2, -15), (std::vector<Frame> { { 10, 20, 100, 150 }, { 10, 170, 100, 150 } }));
    EXPECT_EQ(stack(region, 0, 10), std::vector<Frame> { region });
    EXPECT_EQ(bands(0, 100, {}, 8), std::vector<Band> {});
}

TEST(TileGeometry, AGapTooLargeGivesWayForEachTileThatWouldComeOutTooSmall)
{
    const Frame display { 0, 0, 1920, 1080 };
    // Two rows of 80 points leave 920 for three gaps; three columns of 80 leave 1680 for four.
    constexpr double rowsGap = 920.0 / 3, columnsGap = 420;
    EXPECT_DOUBLE_EQ(largestGap(display), rowsGap);
    EXPECT_DOUBLE_EQ(largestGap({ 0, 0, 100, 100 }), 0);
    struct Case {
        TileSlot slot;
        double gap;
        Frame expected;
    };
    const Case cases[] = {
        // Gaps the tile has room for stay as they are.
        { TileSlot::leftHalf, 400, { 400, 400, 360, 280 } },
        { TileSlot::leftThird, 400, { 400, 400, 320.0 / 3, 280 } },
        // The rows of a quarter need the gap smaller, and so the tile takes the smaller one both ways.
        { TileSlot::topRight, 400, { 2 * rowsGap + (1920 - 3 * rowsGap) / 2, rowsGap, (1920 - 3 * rowsGap) / 2, 80 } },
        { TileSlot::leftThird, 600, { columnsGap, columnsGap, 80, 1080 - 2 * columnsGap } },
        { TileSlot::fill, 600, { 500, 500, 920, 80 } },
        { TileSlot::bottomHalf, 600, { rowsGap, 80 + 2 * rowsGap, 1920 - 2 * rowsGap, 80 } },
    };
    for (const Case& c : cases) {
        EXPECT_THAT(frameForTile(c.slot, display, c.gap), FrameNear(c.expected)) << toString(c.slot) << " " << c.gap;
    }
    for (TileSlot slot : allTileSlots) {
        Frame frame = frameForTile(slot, display, 600);
        EXPECT_GE(frame.width, manageableSize - 1e-9) << toString(slot);
        EXPECT_GE(frame.height, manageableSize - 1e-9) << toString(slot);
        // The tile it became is still recognised, so the window can be moved on from it.
        EXPECT_EQ(inferSlot(frame, display, 600, 8), slot) << toString(slot);
    }
}

TEST(TileGeometry, LayoutsGiveOneFramePerWindow)
{
    // Each kind's tiles in window order, the stack tile last; then the frames of a stacked count.
    // Rows of a full-height tile are (859 - 8) / 2 = 425.5 high, of the bottom-right quarter
    // (425.5 - 24) / 4 = 100.375, of the bottom half (425.5 - 8) / 2 = 208.75.
    auto rows = [](const Frame& tile) {
        return std::vector<Frame> { { tile.x, 33, tile.width, 425.5 }, { tile.x, 466.5, tile.width, 425.5 } };
    };
    auto with = [](std::vector<Frame> head, const std::vector<Frame>& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    struct {
        LayoutKind kind;
        std::vector<Frame> tiles;
        std::vector<Frame> stacked;
    } cases[] = {
        { LayoutKind::halves, { leftHalf, rightHalf }, with({ leftHalf }, rows(rightHalf)) },
        { LayoutKind::thirds, { leftThird, centerThird, rightThird },
            with({ leftThird, centerThird }, rows(rightThird)) },
        { LayoutKind::quarters, { topLeft, topRight, bottomLeft, bottomRight },
            { topLeft, topRight, bottomLeft, { 724, 466.5, 708, 100.375 }, { 724, 574.875, 708, 100.375 },
                { 724, 683.25, 708, 100.375 }, { 724, 791.625, 708, 100.375 } } },
        { LayoutKind::mainStack, { leftTwoThirds, rightThird }, with({ leftTwoThirds }, rows(rightThird)) },
        { LayoutKind::stackMain, { rightTwoThirds, leftThird }, with({ rightTwoThirds }, rows(leftThird)) },
        { LayoutKind::horizontal, { topHalf, bottomHalf },
            { topHalf, { 8, 466.5, 1424, 208.75 }, { 8, 683.25, 1424, 208.75 } } },
    };
    for (const auto& [kind, tiles, stacked] : cases) {
        SCOPED_TRACE(toString(kind));
        const std::vector<Frame> first(tiles.begin(), tiles.begin() + 1), firstTwo(tiles.begin(), tiles.begin() + 2);
        EXPECT_THAT(framesForLayout(kind, 0, area, gap), Pointwise(FramesNear(), first));
        EXPECT_THAT(framesForLayout(kind, 1, area, gap), Pointwise(FramesNear(), first));
        EXPECT_THAT(framesForLayout(kind, 2, area, gap), Pointwise(FramesNear(), firstTwo));
        EXPECT_THAT(framesForLayout(kind, static_cast<int>(tiles.size()), area, gap), Pointwise(FramesNear(), tiles));
        EXPECT_THAT(
            framesForLayout(kind, static_cast<int>(stacked.size()), area, gap), Pointwise(FramesNear(), stacked));
    }
}

TEST(TileGeometry, EveryTileAndLayoutStaysInsideItsArea)
{
    auto inside = [](const Frame& frame, const Frame& in) {
        constexpr double slack = 1e-9;
        return frame.x >= in.x - slack && frame.y >= in.y - slack && frame.maxX() <= in.maxX() + slack
            && frame.maxY() <= in.maxY() + slack && frame.width > 0 && frame.height > 0;
    };
    // The smaller areas are just large enough for three columns and two rows of the largest gap.
    const Frame areas[] = { area, { -1920, -200, 1920, 1080 }, { 1440, 0, 300, 200 }, { 5.5, 7.25, 100, 90 } };
    for (const Frame& in : areas) {
        for (double gap : { 0.0, 8.0, 16.0, 24.0 }) {
            for (TileSlot slot : allTileSlots)
                EXPECT_TRUE(inside(frameForTile(slot, in, gap), in)) << toString(slot) << " gap " << gap;
            for (int number = 1; number <= 6 && in.height >= 800; ++number) {
                for (int count = 0; count <= 8; ++count) {
                    for (const Frame& frame : framesForLayout(*layoutKind(number), count, in, gap))
                        EXPECT_TRUE(inside(frame, in)) << number << " × " << count << " gap " << gap;
                }
            }
        }
    }
}

TEST(TileGeometry, InferSlotPrefersTheClosestThenTheEarlierTile)
{
    struct {
        Frame window;
        double gap, tolerance;
        std::optional<TileSlot> expected;
    } cases[] = {
        { { 0, 0, 500, 800 }, 0, 1000, TileSlot::leftHalf },
        { { 0, 0, 500, 600 }, 0, 50, TileSlot::leftHalf }, // 200 from left-half and top-left alike
        { { 0, 0, 500, 500 }, 0, 50, TileSlot::topLeft },
        { { 3, 2, 497, 801 }, 0, 8, TileSlot::leftHalf },
        { { 8, 8, 500, 816 }, 0, 8, TileSlot::leftHalf }, // deviations add up to 4 × tolerance
        { { 8, 8, 500, 817 }, 0, 8, std::nullopt },
        { { 670, 10, 320, 780 }, 10, 0, TileSlot::rightThird },
        { { 10, 10, 980, 780 }, 10, 0, TileSlot::fill },
    };
    for (const auto& [window, gap, tolerance, expected] : cases)
        EXPECT_EQ(inferSlot(window, { 0, 0, 1000, 800 }, gap, tolerance), expected) << testing::PrintToString(window);
}

TEST(TileGeometry, AdjacentSlotFollowsTheTable)
{
    using enum TileSlot;
    struct {
        TileSlot slot;
        std::optional<TileSlot> left, right, up, down;
    } table[] = {
        { leftHalf, {}, rightHalf, {}, {} },
        { rightHalf, leftHalf, {}, {}, {} },
        { topHalf, {}, {}, {}, bottomHalf },
        { bottomHalf, {}, {}, topHalf, {} },
        { leftThird, {}, centerThird, {}, {} },
        { centerThird, leftThird, rightThird, {}, {} },
        { rightThird, centerThird, {}, {}, {} },
        { leftTwoThirds, {}, rightThird, {}, {} },
        { rightTwoThirds, leftThird, {}, {}, {} },
        { topLeft, {}, topRight, {}, bottomLeft },
        { topRight, topLeft, {}, {}, bottomRight },
        { bottomLeft, {}, bottomRight, topLeft, {} },
        { bottomRight, bottomLeft, {}, topRight, {} },
        { fill, {}, {}, {}, {} },
    };
    for (const auto& [slot, left, right, up, down] : table) {
        EXPECT_EQ(adjacentSlot(slot, Direction::left), left) << toString(slot);
        EXPECT_EQ(adjacentSlot(slot, Direction::right), right) << toString(slot);
        EXPECT_EQ(adjacentSlot(slot, Direction::up), up) << toString(slot);
        EXPECT_EQ(adjacentSlot(slot, Direction::down), down) << toString(slot);
    }
}

TEST(TileGeometry, NeighborWindowByDistanceThenAlignment)
{
    // Boxes centred at the given point; the window "a" sits at (0, 0).
    auto box = [](std::string id, double x, double y) { return WindowBox { id, { x - 5, y - 5, 10, 10 } }; };
    const WindowBox a = box("a", 0, 0);
    struct {
        const char* from;
        Direction direction;
        std::vector<WindowBox> boxes;
        std::optional<std::string> expected;
    } cases[] = {
        { "z", Direction::right, { a, box("b", 100, 0) }, std::nullopt },
        { "a", Direction::right, { a, box("b", 100, 30), box("c", 105, 0) }, "c" },
        { "a", Direction::right, { a, box("b", 100, 50), box("c", 120, 0) }, "b" },
        { "a", Direction::right, { a, box("b", 100, 30), box("c", 108, 0) }, "c" }, // the band is inclusive
        { "a", Direction::right, { a, box("b", 100, 30), box("c", 108.5, 0) }, "b" },
        { "a", Direction::left, { box("b", -100, 30), a, box("c", -105, 0) }, "c" },
        { "a", Direction::up, { a, box("b", 30, -100), box("c", 0, -120) }, "b" },
        { "a", Direction::down, { a, box("b", 30, 100), box("c", 0, 104) }, "c" },
        { "a", Direction::down, { a, box("b", 5, 100), box("c", -5, 100) }, "b" }, // a tie keeps the earlier
        { "a", Direction::right, { a, box("b", 1, 100), box("c", -100, 0) }, std::nullopt },
        { "a", Direction::right, { a, box("a", 50, 0), box("b", 100, 0) }, "b" }, // its own id is skipped
    };
    for (const auto& [from, direction, boxes, expected] : cases)
        EXPECT_EQ(neighborWindow(from, direction, boxes), expected) << from << " " << toString(direction);
}

} // namespace
} // namespace quorvane
