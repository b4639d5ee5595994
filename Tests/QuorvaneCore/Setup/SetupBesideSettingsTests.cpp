#include "Setup/SetupBesideSettings.h"

#include "QuorvaneCore/Tiling/FrameTesting.h"
#include "Setup/ListedWindow.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

ListedWindow settings(double width, double height, std::string owner = "System Settings",
    std::optional<std::string> bundle = "com.apple.systempreferences", int64_t layer = 0, bool onScreen = true)
{
    return { owner, bundle, layer, { 100, 100, width, height }, onScreen };
}

TEST(SetupBesideSettings, FindsTheSystemSettingsWindow)
{
    struct {
        const char* what;
        std::vector<ListedWindow> windows;
        std::optional<size_t> expected;
    } cases[] = {
        { "just wide and tall enough", { settings(241, 181) }, 0 },
        { "too narrow", { settings(240, 600) }, std::nullopt },
        { "too low", { settings(800, 180) }, std::nullopt },
        { "off screen", { settings(800, 600, "System Settings", std::nullopt, 0, false) }, std::nullopt },
        { "another layer", { settings(800, 600, "System Settings", std::nullopt, 25) }, std::nullopt },
        { "another application", { settings(800, 600, "Finder", "com.apple.finder") }, std::nullopt },
        { "by bundle identifier", { settings(800, 600, "Systemeinstellungen") }, 0 },
        { "the larger wins", { settings(800, 600), settings(900, 600) }, 1 },
        { "equal areas keep the first", { settings(800, 600), settings(600, 800) }, 0 },
        { "by owner name, after an unfit one",
            { settings(2000, 2000, "Finder", std::nullopt), settings(800, 600, "System Preferences", std::nullopt) },
            1 },
    };
    for (const auto& [what, windows, expected] : cases) {
        std::optional<ListedWindow> expectedWindow;
        if (expected)
            expectedWindow = windows[*expected];
        EXPECT_EQ(systemSettingsWindow(windows), expectedWindow) << what;
    }
}

TEST(SetupBesideSettings, ListFrameSkipsTheSidebar)
{
    const Frame frame { 100, 50, 800, 600 };
    EXPECT_EQ(accessibilityListFrame(frame, 240), (Frame { 340, 50, 560, 600 }));
    EXPECT_EQ(accessibilityListFrame(frame, -10), frame);
    EXPECT_EQ(accessibilityListFrame({ 100, 50, 200, 600 }, 240), (Frame { 299, 50, 1, 600 }));
    EXPECT_EQ(accessibilityListFrame({ 100, 50, 0.5, 600 }, 240), (Frame { 100, 50, 1, 600 }));
}

TEST(SetupBesideSettings, PlacesTheSetupWindowBesideTheAnchor)
{
    // A 1440 × 875 visible frame (y grows upward) and a 400 × 500 setup window, 16 points from the anchor.
    const Frame screen { 0, 0, 1440, 875 };
    struct {
        const char* what;
        Frame anchor;
        double width, height;
        Frame visible;
        WindowOrigin expected;
    } cases[] = {
        { "more room on the right", { 450, 200, 500, 500 }, 400, 500, screen, { 966, 200 } },
        { "more room on the left", { 500, 200, 500, 500 }, 400, 500, screen, { 84, 200 } },
        { "equal room: right", { 470, 200, 500, 500 }, 400, 500, screen, { 986, 200 } },
        { "only the left fits", { 700, 200, 600, 500 }, 400, 500, screen, { 284, 200 } },
        { "only the right fits", { 10, 200, 600, 500 }, 400, 500, screen, { 626, 200 } },
        { "fits within the slack", { 100, 200, 924.005, 500 }, 400, 500, screen, { 1040.005, 200 } },
        { "top clamped to the screen", { 450, 500, 500, 600 }, 400, 500, screen, { 966, 375 } },
        { "taller than the screen", { 450, 200, 500, 500 }, 400, 1000, screen, { 966, -125 } },
        // Neither side fits: the least overlap with the list (x from 340 to 1400) is at the left edge.
        { "overlap: least list covered", { 100, 200, 1300, 600 }, 400, 500, screen, { 0, 300 } },
        // The list runs from 440 to 1300; 140 and 0 both leave it uncovered, 140 is nearer the anchor.
        { "overlap: nearer the anchor", { 200, 200, 1100, 500 }, 300, 500, screen, { 140, 200 } },
        // Overlaps 0.4 at x = 0 and 0.2 at x = 1140 count as equal; x = 0 is nearer the anchor.
        { "overlap: within half a point", { 59.6, 200, 1080.6, 500 }, 300, 500, screen, { 0, 200 } },
        { "screen narrower than the window", { 0, 200, 300, 500 }, 400, 500, { 0, 0, 300, 875 }, { 0, 200 } },
    };
    for (const auto& [what, anchor, width, height, visible, expected] : cases) {
        WindowOrigin origin = setupWindowBesideSettings(width, height, anchor, visible, SetupBesideSettings::gap);
        EXPECT_NEAR(origin.x, expected.x, 1e-9) << what;
        EXPECT_NEAR(origin.y, expected.y, 1e-9) << what;
    }
}

} // namespace
} // namespace quorvane
