#include "Platforms/X11/DockStrut.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

// Two monitors side by side on a 1920 × 1080 root window.
constexpr Frame left { 0, 0, 960, 1080 };
constexpr Frame right { 960, 0, 960, 1080 };

Frame visibleWith(const Frame& monitor, const std::vector<std::vector<uint32_t>>& struts)
{
    std::vector<DockStrut> docks;
    for (const std::vector<uint32_t>& values : struts)
        docks.push_back(*DockStrut::fromValues(values, 1920, 1080));
    return visibleFrame(monitor, docks);
}

TEST(DockStrutTest, BandsPushInOnlyTheMonitorsTheyTouch)
{
    // A top panel over the right monitor only.
    std::vector<uint32_t> topRight { 0, 0, 30, 0, 0, 0, 0, 0, 960, 1919, 0, 0 };
    EXPECT_EQ(visibleWith(left, { topRight }), left);
    EXPECT_EQ(visibleWith(right, { topRight }), (Frame { 960, 30, 960, 1050 }));
    // A plain strut spans its whole edge: a bottom bar on both monitors.
    EXPECT_EQ(visibleWith(left, { { 0, 0, 0, 40 } }), (Frame { 0, 0, 960, 1040 }));
    EXPECT_EQ(visibleWith(right, { { 0, 0, 0, 40 } }), (Frame { 960, 0, 960, 1040 }));
    // A left dock belongs to the left monitor; a right dock to the right one.
    EXPECT_EQ(visibleWith(left, { { 48, 0, 0, 0, 0, 1079, 0, 0, 0, 0, 0, 0 } }), (Frame { 48, 0, 912, 1080 }));
    EXPECT_EQ(visibleWith(right, { { 0, 64, 0, 0, 0, 0, 100, 600, 0, 0, 0, 0 } }), (Frame { 960, 0, 896, 1080 }));
    // Two panels on one edge: the deeper one counts.
    EXPECT_EQ(visibleWith(left, { { 0, 0, 30, 0 }, { 0, 0, 50, 0, 0, 0, 0, 0, 0, 100, 0, 0 } }),
        (Frame { 0, 50, 960, 1030 }));
}

TEST(DockStrutTest, MalformedStrutsAreIgnored)
{
    for (const std::vector<uint32_t>& values :
        std::vector<std::vector<uint32_t>> { {}, { 1, 2, 3 }, std::vector<uint32_t>(11, 5) })
        EXPECT_FALSE(DockStrut::fromValues(values, 1920, 1080)) << values.size();
    // All zero: a dock that reserves nothing.
    EXPECT_EQ(visibleWith(left, { std::vector<uint32_t>(12, 0) }), left);
}

} // namespace
} // namespace quorvane
