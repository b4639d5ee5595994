#include "Tiling/SwitchHint.h"
#include "Tiling/TileMotion.h"

#include "QuorvaneCore/Tiling/FrameTesting.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(TileMotion, EasedFramesAreClamped)
{
    const std::pair<double, double> ease[]
        = { { -1, 0 }, { 0, 0 }, { 0.5, 0.875 }, { 0.75, 63.0 / 64 }, { 1, 1 }, { 2, 1 } };
    for (const auto& [t, expected] : ease)
        EXPECT_DOUBLE_EQ(TileMotion::easeOut(t), expected) << t;

    const Frame from { 0, 0, 100, 100 }, to { 80, 40, 200, 300 };
    EXPECT_EQ(TileMotion::frame(from, to, 0.5), (Frame { 70, 35, 187.5, 275 }));
    EXPECT_EQ(TileMotion::frame(from, to, 3), to);
    EXPECT_EQ(TileMotion::frame(from, to, -1), from);
}

TEST(TileMotion, SizeFirstOnlyWhenShrinkingByMoreThanOneSquarePoint)
{
    const Frame from { 0, 0, 64, 64 }; // 4096 square points
    const std::pair<Frame, AxisWrite> cases[] = {
        { { 500, 500, 89, 46 }, AxisWrite::sizeThenPosition }, // 4094
        { { 500, 500, 63, 65 }, AxisWrite::positionThenSize }, // 4095: exactly one point smaller
        { { 500, 500, 640, 640 }, AxisWrite::positionThenSize },
    };
    for (const auto& [to, expected] : cases)
        EXPECT_EQ(TileMotion::attributeOrder(from, to), expected) << testing::PrintToString(to);
}

TEST(TileMotion, SwitchHintPulse)
{
    const std::pair<double, double> cases[] = { { 0, 0 }, { 0.54, 0 }, { 0.55, 0 }, { 0.75, 0.5 }, { 0.55 + 0.4, 1 },
        { 1.85, 1 }, { 2.05, 0.5 }, { 2.25, 0 }, { 3.0, 0.5 }, { -0.2, 0.5 } };
    for (const auto& [time, expected] : cases)
        EXPECT_NEAR(switchHintProgress(time), expected, 1e-9) << time;
}

} // namespace
} // namespace quorvane
