#include "Tiling/DisplayGeometry.h"

#include "QuorvaneCore/Tiling/FrameTesting.h"
#include "Tiling/DisplayNotice.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::FrameNear;

// Three displays side by side; the middle one is twice as large.
const std::vector<Frame> screens { { 0, 0, 1000, 800 }, { 1000, 0, 2000, 1600 }, { 3000, 0, 1000, 800 } };

TEST(DisplayGeometry, DisplayMoveWrapsAroundBothWays)
{
    const Frame window { 100, 100, 200, 200 }; // on display 0, relative (0.1, 0.125, 0.2, 0.25)
    struct {
        Frame window;
        int delta;
        Frame expected;
    } cases[] = {
        { window, 1, { 1200, 200, 400, 400 } },
        { window, -1, { 3100, 100, 200, 200 } },
        { window, -4, { 3100, 100, 200, 200 } },
        { window, 3, window },
        { { 3100, 100, 200, 200 }, 1, window },
        // Half-open bounds: a centre on the shared edge x = 1000 belongs to display 1.
        { { 950, 100, 100, 100 }, 1, { 2975, 50, 50, 50 } },
        // Centred outside every display: treated as display 0, and the result is not clamped.
        { { 5000, 5000, 100, 100 }, 1, { 11000, 10000, 200, 200 } },
        // A tiled window keeps its tile: the left half, gap 0.
        { { 0, 0, 500, 800 }, 1, { 1000, 0, 1000, 1600 } },
    };
    for (const auto& [window, delta, expected] : cases)
        EXPECT_EQ(displayMove(window, screens, delta, 0), DisplayShift::moved(expected)) << delta;
    EXPECT_EQ(displayMove({ 0, 0, 10, 10 }, { screens[0] }, 1, 0), DisplayShift::onlyOneDisplay());
    EXPECT_EQ(displayMove({ 0, 0, 10, 10 }, {}, 1, 0), DisplayShift::onlyOneDisplay());
}

TEST(DisplayGeometry, FrameMovedToDisplay)
{
    const Frame to { 100, 200, 1000, 800 };
    // The worked example's left two-thirds, within 32 points of deviation, lands on the target's own.
    EXPECT_EQ(frameMovedToDisplay({ 10, 40, 950, 850 }, { 0, 25, 1440, 875 }, { 100, 200, 1008, 800 }, 8),
        (Frame { 108, 208, 656, 784 }));
    // A zero-sized source keeps the place at the origin and the whole size.
    EXPECT_EQ(frameMovedToDisplay({ 5, 5, 50, 60 }, { 0, 0, 0, 0 }, to, 0), to);
    // Sizes keep at least one point.
    EXPECT_THAT(
        frameMovedToDisplay({ 300, 300, 0.5, 0.5 }, { 0, 0, 1000, 1000 }, to, 0), FrameNear(Frame { 400, 440, 1, 1 }));
}

TEST(DisplayGeometry, NoticeAboveBelowAndClamped)
{
    const Frame screen { 0, 25, 1440, 875 };
    const NoticeSize panel { 300, 36 };
    struct {
        const char* what;
        std::optional<Frame> window;
        NoticeSize panel;
        Frame screen;
        Frame expected;
    } cases[] = {
        { "above the window", Frame { 500, 400, 400, 300 }, panel, screen, { 550, 356, 300, 36 } },
        { "below a window at the top", Frame { 500, 40, 400, 300 }, panel, screen, { 550, 348, 300, 36 } },
        { "no window, tall panel", std::nullopt, panel, screen, { 570, 81, 300, 36 } },
        { "no window, low panel", std::nullopt, { 200, 20 }, screen, { 620, 45, 200, 20 } },
        { "pushed off the left edge", Frame { 0, 400, 100, 300 }, panel, screen, { 8, 356, 300, 36 } },
        { "pushed off the right edge", Frame { 1400, 400, 40, 300 }, panel, screen, { 1132, 356, 300, 36 } },
        { "pushed up from the bottom", screen, panel, screen, { 570, 856, 300, 36 } },
        { "narrower than the panel", std::nullopt, panel, { 0, 0, 200, 500 }, { 8, 56, 184, 36 } },
        { "lower than the panel", Frame { 0, 0, 400, 40 }, { 100, 36 }, { 0, 0, 400, 40 }, { 150, 8, 100, 36 } },
    };
    for (const auto& [what, window, size, in, expected] : cases)
        EXPECT_EQ(displayNoticeFrame(window, size, in), expected) << what;
}

TEST(DisplayGeometry, FlipBetweenCoordinateSpaces)
{
    EXPECT_EQ(appKitFrame({ 10, 20, 300, 400 }, 900), (Frame { 10, 480, 300, 400 }));
    for (const Frame& frame : { Frame { -1920, 300.5, 1920, 1080 }, Frame { 7, -25, 1, 2 } })
        EXPECT_EQ(topLeftFrame(appKitFrame(frame, 1117), 1117), frame);
}

} // namespace
} // namespace quorvane
