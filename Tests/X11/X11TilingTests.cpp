// Tiling real windows: the real `quorvane` asks the real `quorvane-app`, which moves the test windows through
// Openbox on the virtual desktop.
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "Tiling/TileGeometry.h"
#include "Tiling/TileSlot.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <cmath>

#include <csignal>
#include <filesystem>
#include <memory>

namespace quorvane {
namespace {

using test::builtProgram;
using test::ChildProcess;
using test::eventually;
using test::runTool;
using test::TestWindow;

constexpr double gap = 8;

// A window's frame is whole pixels; a third of a display is not.
bool near(const Frame& a, const Frame& b)
{
    return std::abs(a.x - b.x) < 1 && std::abs(a.y - b.y) < 1 && std::abs(a.width - b.width) < 1
        && std::abs(a.height - b.height) < 1;
}

// One desktop and one application for all the cases: tiles without animation and with an 8-point gap.
class X11TilingTest : public testing::Test {
protected:
    static void SetUpTestSuite() { startApp(false); }
    static void TearDownTestSuite()
    {
        app->signal(SIGTERM);
        app->finish();
        delete app;
        delete desktop;
    }

    static void startApp(bool animated)
    {
        desktop = new test::VirtualDesktop();
        test::writeConfig(
            test::configWith({ "tile_gap = 8", animated ? "animate_tiles = true" : "animate_tiles = false" }));
        app = test::startApp().release();
    }

    std::optional<Frame> frameOf(uint32_t id) { return windows.windowSystem().readFrame(WindowHandle { id }); }

    // Waits until the window manager has decorated the window.
    void managed(uint32_t id)
    {
        ASSERT_TRUE(eventually([&] {
            for (const WindowFacts& window : windows.windowSystem().windows())
                if (window.handle.value == id && window.frame && window.frame->height > 300)
                    return true;
            return false;
        }));
    }

    // Waits until the census places new windows: its first look takes every window it finds for one that
    // was there before the application, so witnesses open until one gets its rule.
    void censusLooking()
    {
        ASSERT_EQ(runTool({ "rule", "add", "org.example.Witness", "--tile", "bottom-left" }).status, 0);
        Frame target = frameForTile(TileSlot::bottomLeft, left, gap);
        std::vector<std::unique_ptr<TestWindow>> witnesses;
        ASSERT_TRUE(eventually(
            [&] {
                witnesses.push_back(std::make_unique<TestWindow>(
                    std::vector<std::string> { "--app-id", "org.example.Witness", "--title", "Witness" }));
                return eventually(
                    [&] {
                        std::optional<Frame> frame = frameOf(witnesses.back()->id);
                        return frame && near(*frame, target);
                    },
                    2);
            },
            10));
    }

    // Whether the window manager holds the window maximised in either direction.
    bool maximised(uint32_t id)
    {
        xcb_connection_t* xcb = connection.xcb();
        xcb_ewmh_connection_t* ewmh = connection.ewmh();
        auto reply = fetchReply<xcb_get_property_reply_t>(
            xcb, xcb_get_property_reply, xcb_get_property(xcb, 0, id, ewmh->_NET_WM_STATE, XCB_ATOM_ATOM, 0, 64));
        for (uint32_t state : cardinals(reply)) {
            if (state == ewmh->_NET_WM_STATE_MAXIMIZED_VERT || state == ewmh->_NET_WM_STATE_MAXIMIZED_HORZ)
                return true;
        }
        return false;
    }

    bool landsOn(uint32_t id, const Frame& target)
    {
        std::optional<Frame> frame;
        bool landed = eventually([&] { return (frame = frameOf(id)) && near(*frame, target); });
        if (!landed && frame)
            ADD_FAILURE() << "at " << frame->x << "," << frame->y << " " << frame->width << "x" << frame->height
                          << ", not " << target.x << "," << target.y << " " << target.width << "x" << target.height;
        return landed;
    }

    static test::VirtualDesktop* desktop;
    static ChildProcess* app;
    GLibMainLoop loop;
    X11Desktop windows { loop };
    X11Connection connection;
    // The visible areas of the two monitors, LEFT (main) and RIGHT.
    const Frame left { 0, 0, 960, 1080 };
    const Frame right { 960, 0, 960, 1080 };
};

test::VirtualDesktop* X11TilingTest::desktop = nullptr;
ChildProcess* X11TilingTest::app = nullptr;

// The same application with animated tiles.
class X11AnimatedTilingTest : public X11TilingTest {
protected:
    static void SetUpTestSuite() { startApp(true); }
};

TEST_F(X11TilingTest, EveryTileLandsExactlyOnTheMainDisplay)
{
    TestWindow window({ "--app-id", "org.example.Tiles", "--title", "Tiles", "--size", "500x400" });
    managed(window.id);
    for (TileSlot slot : allTileSlots) {
        std::string name(toString(slot));
        ASSERT_EQ(runTool({ "tile", "org.example.Tiles", name }).status, 0) << name;
        EXPECT_TRUE(landsOn(window.id, frameForTile(slot, left, gap))) << name;
    }
}

TEST_F(X11TilingTest, DisplayTwoIsTheOtherMonitor)
{
    TestWindow window({ "--app-id", "org.example.Second", "--title", "Second", "--size", "500x400" });
    managed(window.id);
    ASSERT_EQ(runTool({ "tile", "org.example.Second", "left-half", "--display", "2" }).status, 0);
    EXPECT_TRUE(landsOn(window.id, frameForTile(TileSlot::leftHalf, right, gap)));
}

TEST_F(X11TilingTest, LayoutsComeBack)
{
    TestWindow first({ "--app-id", "org.example.First", "--title", "First", "--size", "500x400" });
    TestWindow second({ "--app-id", "org.example.Other", "--title", "Other", "--size", "500x400" });
    managed(first.id);
    managed(second.id);
    ASSERT_EQ(runTool({ "tile", "org.example.First", "left-half" }).status, 0);
    ASSERT_EQ(runTool({ "tile", "org.example.Other", "right-half" }).status, 0);
    ASSERT_TRUE(landsOn(first.id, frameForTile(TileSlot::leftHalf, left, gap)));
    ASSERT_TRUE(landsOn(second.id, frameForTile(TileSlot::rightHalf, left, gap)));
    ASSERT_EQ(runTool({ "layout", "save", "work" }).status, 0);

    ASSERT_EQ(runTool({ "tile", "org.example.First", "bottom-right", "--display", "2" }).status, 0);
    ASSERT_EQ(runTool({ "tile", "org.example.Other", "fill" }).status, 0);
    ASSERT_TRUE(landsOn(second.id, frameForTile(TileSlot::fill, left, gap)));
    ASSERT_EQ(runTool({ "layout", "apply", "work" }).status, 0);
    // A saved tile goes to the display the application's first window is on now.
    EXPECT_TRUE(landsOn(first.id, frameForTile(TileSlot::leftHalf, right, gap)));
    EXPECT_TRUE(landsOn(second.id, frameForTile(TileSlot::rightHalf, left, gap)));
}

TEST_F(X11TilingTest, RulesPlaceNewWindowsAndLeaveOlderOnesAlone)
{
    TestWindow older(
        { "--app-id", "org.example.Ruled", "--title", "Older", "--position", "100,100", "--size", "500x400" });
    managed(older.id);
    Frame before = *frameOf(older.id);
    ASSERT_EQ(runTool({ "rule", "add", "org.example.Ruled", "--tile", "right-half" }).status, 0);
    TestWindow newer({ "--app-id", "org.example.Ruled", "--title", "Newer", "--size", "500x400" });
    EXPECT_TRUE(landsOn(newer.id, frameForTile(TileSlot::rightHalf, left, gap)));
    EXPECT_EQ(frameOf(older.id), before);
}

TEST_F(X11TilingTest, AWindowNamedAMomentAfterItAppearsGetsTheRuleOnItsTitle)
{
    censusLooking();
    ASSERT_EQ(runTool({ "rule", "add", "org.example.Late", "--tile", "top-right", "--title", "^Late" }).status, 0);
    TestWindow window(
        { "--app-id", "org.example.Late", "--title", "Late report", "--title-after", "300", "--size", "500x400" });
    EXPECT_TRUE(landsOn(window.id, frameForTile(TileSlot::topRight, left, gap)));
}

TEST_F(X11TilingTest, AMaximisedWindowIsReleasedAndTiledExactly)
{
    TestWindow window({ "--app-id", "org.example.Big", "--title", "Big", "--state", "maximized" });
    managed(window.id);
    ASSERT_TRUE(maximised(window.id));
    ASSERT_EQ(runTool({ "tile", "org.example.Big", "left-half" }).status, 0);
    EXPECT_TRUE(landsOn(window.id, frameForTile(TileSlot::leftHalf, left, gap)));
    EXPECT_FALSE(maximised(window.id));
}

TEST_F(X11TilingTest, WindowsClosingWhileTheyMoveAreHarmless)
{
    std::vector<std::unique_ptr<TestWindow>> many;
    for (int i = 0; i < 5; ++i) {
        many.push_back(std::make_unique<TestWindow>(
            std::vector<std::string> { "--app-id", "org.example.Many", "--title", "Many", "--size", "400x300" }));
        managed(many.back()->id);
    }
    for (int round = 0; round < 5; ++round) {
        runTool({ "tile", "org.example.Many", round % 2 ? "left-half" : "right-half" }).status;
        many[static_cast<size_t>(round)].reset();
    }
    EXPECT_EQ(runTool({ "ping" }).status, 0);
}

TEST_F(X11AnimatedTilingTest, AnAnimatedMovePassesThroughFramesBetweenAndEndsWhereAnImmediateOneDoes)
{
    TestWindow window({ "--app-id", "org.example.Glide", "--title", "Glide", "--size", "500x400" });
    managed(window.id);
    struct Case {
        TileSlot slot;
        const char* display;
        Frame area;
    };
    const Case cases[] = {
        { TileSlot::leftHalf, "1", left },
        { TileSlot::rightTwoThirds, "1", left },
        { TileSlot::topLeft, "2", right },
        { TileSlot::fill, "1", left },
        { TileSlot::centerThird, "2", right },
    };
    for (const Case& c : cases) {
        std::string name(toString(c.slot));
        Frame start = *frameOf(window.id);
        ASSERT_EQ(runTool({ "tile", "org.example.Glide", name, "--display", c.display }).status, 0) << name;
        // The frames the window shows on its way, other than where it started.
        Frame target = frameForTile(c.slot, c.area, gap);
        size_t between = 0;
        EXPECT_TRUE(eventually([&] {
            std::optional<Frame> frame = frameOf(window.id);
            if (!frame || near(*frame, target))
                return frame.has_value();
            between += *frame != start;
            return false;
        })) << name;
        EXPECT_TRUE(landsOn(window.id, target)) << name;
        EXPECT_GT(between, 0u) << name << ": no frame between the start and the target";
    }
}

TEST_F(X11AnimatedTilingTest, ThreeTilesSentBackToBackEachLand)
{
    struct Sample {
        const char* app;
        TileSlot slot;
        const char* display;
        Frame area;
    };
    const Sample samples[] = {
        { "org.example.First", TileSlot::leftHalf, "1", left },
        { "org.example.Second", TileSlot::rightHalf, "1", left },
        { "org.example.Third", TileSlot::fill, "2", right },
    };
    std::vector<std::unique_ptr<TestWindow>> opened;
    for (const Sample& sample : samples) {
        opened.push_back(std::make_unique<TestWindow>(
            std::vector<std::string> { "--app-id", sample.app, "--title", sample.app, "--size", "500x400" }));
        managed(opened.back()->id);
    }
    // Each command comes while the animation of the one before is still under way.
    for (const Sample& sample : samples)
        ASSERT_EQ(
            runTool({ "tile", sample.app, std::string(toString(sample.slot)), "--display", sample.display }).status, 0);
    for (size_t index = 0; index < opened.size(); ++index)
        EXPECT_TRUE(landsOn(opened[index]->id, frameForTile(samples[index].slot, samples[index].area, gap)))
            << samples[index].app;
}

} // namespace
} // namespace quorvane
