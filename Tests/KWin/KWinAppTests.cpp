// `quorvane-app` on a headless KWin, reached through the real `quorvane`: tiles, rules and layouts move an
// Xwayland window and a native Wayland window alike; frames are read back from KWin's reports.
#include "KWin/HeadlessKWin.h"
#include "QuorvaneApp/Platform/WindowFacts.h"
#include "TestSupport/TemporaryFolder.h"
#include "Tiling/TileGeometry.h"
#include "Tiling/TileSlot.h"
#include "X11/TestTrayHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>

namespace quorvane {
namespace {

using test::builtProgram;
using test::ChildProcess;
using test::eventually;
using test::runTool;
using test::TestWindow;
using test::WaylandWindow;

constexpr double gap = 8;
const Frame screen { 0, 0, 1920, 1080 };

// Frames are whole pixels; a third of the display is not.
bool near(const Frame& a, const Frame& b)
{
    return std::abs(a.x - b.x) < 1 && std::abs(a.y - b.y) < 1 && std::abs(a.width - b.width) < 1
        && std::abs(a.height - b.height) < 1;
}

bool says(const test::ToolRun& run, const std::string& text)
{
    return run.output.find(text) != std::string::npos;
}

// One KWin and one application for the cases: tiles not animated, with an 8-pixel gap.
class KWinAppTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        desktop = new test::HeadlessKWin();
        if (desktop->skipReason())
            return;
        test::writeConfig(test::configWith({ "tile_gap = 8", "animate_tiles = false" }));
        app = test::startApp().release();
        reader = new test::KWinReader();
    }
    static void TearDownTestSuite()
    {
        delete reader;
        if (app) {
            app->signal(SIGTERM);
            app->finish();
            delete app;
        }
        delete desktop;
    }
    void SetUp() override
    {
        if (desktop->skipReason())
            GTEST_SKIP() << *desktop->skipReason();
    }

    // Waits until the window of this application or title is listed.
    void listed(const std::string& window)
    {
        ASSERT_TRUE(eventually([&] { return reader->windowOf(window).has_value(); })) << window;
    }

    bool landsOn(const std::string& which, const Frame& target)
    {
        std::optional<WindowFacts> window;
        bool landed = eventually([&] {
            window = reader->windowOf(which);
            return window && window->frame && near(*window->frame, target);
        });
        if (!landed && window && window->frame)
            ADD_FAILURE() << which << " at " << window->frame->x << "," << window->frame->y << " "
                          << window->frame->width << "x" << window->frame->height << ", not " << target.x << ","
                          << target.y << " " << target.width << "x" << target.height;
        return landed;
    }

    static test::HeadlessKWin* desktop;
    static ChildProcess* app;
    static test::KWinReader* reader;
};

test::HeadlessKWin* KWinAppTest::desktop = nullptr;
ChildProcess* KWinAppTest::app = nullptr;
test::KWinReader* KWinAppTest::reader = nullptr;

TEST_F(KWinAppTest, EveryTileLandsBothKindsOfWindowExactly)
{
    TestWindow xwayland({ "--app-id", "org.example.XTiles", "--title", "X tiles", "--size", "500x400" });
    WaylandWindow wayland("org.example.WTiles", "W tiles");
    listed("org.example.XTiles");
    listed("org.example.WTiles");
    for (TileSlot slot : allTileSlots) {
        std::string name(toString(slot));
        for (std::string application : { "org.example.XTiles", "org.example.WTiles" }) {
            test::ToolRun tile = runTool({ "tile", application, name });
            ASSERT_EQ(tile.status, 0) << tile.output;
            EXPECT_TRUE(landsOn(application, frameForTile(slot, screen, gap))) << name;
        }
    }
}

TEST_F(KWinAppTest, RulesPlaceNewWindowsOfBothKindsAndLeaveOlderOnesAlone)
{
    TestWindow older({ "--app-id", "org.example.XRuled", "--title", "X older", "--position", "100,100" });
    listed("X older");
    Frame before = *reader->windowOf("X older")->frame;
    ASSERT_EQ(runTool({ "rule", "add", "org.example.XRuled", "--tile", "right-half" }).status, 0);
    ASSERT_EQ(runTool({ "rule", "add", "org.example.WRuled", "--tile", "bottom-left" }).status, 0);
    TestWindow newer({ "--app-id", "org.example.XRuled", "--title", "X newer" });
    WaylandWindow wayland("org.example.WRuled", "W ruled");
    EXPECT_TRUE(landsOn("X newer", frameForTile(TileSlot::rightHalf, screen, gap)));
    EXPECT_TRUE(landsOn("W ruled", frameForTile(TileSlot::bottomLeft, screen, gap)));
    EXPECT_EQ(reader->windowOf("X older")->frame, before);
}

TEST_F(KWinAppTest, LayoutsComeBack)
{
    TestWindow xwayland({ "--app-id", "org.example.XLayout", "--title", "X layout" });
    WaylandWindow wayland("org.example.WLayout", "W layout");
    listed("org.example.XLayout");
    listed("org.example.WLayout");
    ASSERT_EQ(runTool({ "tile", "org.example.XLayout", "left-third" }).status, 0);
    ASSERT_EQ(runTool({ "tile", "org.example.WLayout", "right-two-thirds" }).status, 0);
    ASSERT_TRUE(landsOn("org.example.XLayout", frameForTile(TileSlot::leftThird, screen, gap)));
    ASSERT_TRUE(landsOn("org.example.WLayout", frameForTile(TileSlot::rightTwoThirds, screen, gap)));
    ASSERT_EQ(runTool({ "layout", "save", "study" }).status, 0);

    ASSERT_EQ(runTool({ "tile", "org.example.XLayout", "fill" }).status, 0);
    ASSERT_EQ(runTool({ "tile", "org.example.WLayout", "top-left" }).status, 0);
    ASSERT_TRUE(landsOn("org.example.WLayout", frameForTile(TileSlot::topLeft, screen, gap)));
    ASSERT_EQ(runTool({ "layout", "apply", "study" }).status, 0);
    EXPECT_TRUE(landsOn("org.example.XLayout", frameForTile(TileSlot::leftThird, screen, gap)));
    EXPECT_TRUE(landsOn("org.example.WLayout", frameForTile(TileSlot::rightTwoThirds, screen, gap)));
}

TEST_F(KWinAppTest, AnimatedTilesEndExactlyWhereImmediateOnesDo)
{
    TestWindow xwayland({ "--app-id", "org.example.XAnimated", "--title", "X animated" });
    WaylandWindow wayland("org.example.WAnimated", "W animated");
    listed("org.example.XAnimated");
    listed("org.example.WAnimated");
    test::writeConfig(test::configWith({ "tile_gap = 8", "animate_tiles = true" }));
    ASSERT_TRUE(eventually([] { return says(runTool({ "config", "show" }), "\nanimate_tiles = true"); }));
    // Back to back, so that each animation is cut short by the next one.
    for (TileSlot slot : { TileSlot::rightHalf, TileSlot::bottomLeft, TileSlot::leftTwoThirds }) {
        ASSERT_EQ(runTool({ "tile", "org.example.XAnimated", std::string(toString(slot)) }).status, 0);
        ASSERT_EQ(runTool({ "tile", "org.example.WAnimated", std::string(toString(slot)) }).status, 0);
    }
    EXPECT_TRUE(landsOn("org.example.XAnimated", frameForTile(TileSlot::leftTwoThirds, screen, gap)));
    EXPECT_TRUE(landsOn("org.example.WAnimated", frameForTile(TileSlot::leftTwoThirds, screen, gap)));
    test::writeConfig(test::configWith({ "tile_gap = 8", "animate_tiles = false" }));
    ASSERT_TRUE(eventually([] { return says(runTool({ "config", "show" }), "\nanimate_tiles = false"); }));
}

TEST_F(KWinAppTest, DoctorNamesTheDesktopAndWhatDiffersThere)
{
    test::ToolRun doctor = runTool({ "doctor" });
    for (const char* row : { "[pass] display: Running on KDE Plasma (KWin 5.27) on Wayland",
             "[pass] window-control: Quorvane can move windows through KWin.",
             "[warn] keys: Chords and the leader key are KWin shortcuts", "held keys do not repeat",
             "Caps Lock as the leader still switches Caps Lock on and off",
             "a key that completes no leader chord does not end the leader's wait",
             "the shortcut recorder cannot test a grab", "[pass] keyboard: The bare keys of tile mode work",
             "[pass] overlay: Tile mode's cheat sheet, window rings and notices are Wayland windows",
             "so the panels never keep the keys" })
        EXPECT_TRUE(says(doctor, row)) << row << "\n" << doctor.output;
    EXPECT_FALSE(says(doctor, "held by another program")) << doctor.output;
    EXPECT_FALSE(says(doctor, "Wayland yet")) << doctor.output;
}

TEST_F(KWinAppTest, PlasmasTrayShowsTheItemAndItsMenu)
{
    EXPECT_TRUE(says(runTool({ "doctor" }), "[warn] tray: No tray is running"));
    test::TestTrayHost tray;
    ASSERT_TRUE(eventually([&] { return !tray.registrations().empty(); }, 10));
    std::optional<test::TrayMenuItem> menu;
    ASSERT_TRUE(eventually([&] { return (menu = tray.menu()) && !menu->labels().empty(); }));
    EXPECT_TRUE(says(runTool({ "doctor" }), "[pass] tray: A tray shows Quorvane's item and menu."));
}

// Cases that start the application themselves, in a home of their own.
class KWinAppStartTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* variable : { "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            ::unsetenv(variable);
        ::setenv("HOME", home.path().c_str(), 1);
    }

    test::TemporaryFolder home;
};

TEST_F(KWinAppStartTest, WithoutASupportedDesktopTheAppNamesTheSupportedOnesAndExitsWithStatusThree)
{
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;
    };
    const std::vector<Case> cases {
        { {}, { "WAYLAND_DISPLAY=", "DISPLAY=" } },
        // A Wayland session whose bus has no KWin: not even an X display makes it an X11 session.
        { {}, { "WAYLAND_DISPLAY=wayland-9", "DISPLAY=:4242", "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent" } },
        { { "--backend", "kwin" }, { "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent" } },
        { { "--backend", "x11" }, { "DISPLAY=" } },
    };
    for (const Case& tried : cases) {
        std::vector<std::string> command { builtProgram("app/quorvane-app") };
        command.insert(command.end(), tried.arguments.begin(), tried.arguments.end());
        ChildProcess app(command, tried.environment, true);
        std::string output;
        while (std::optional<std::string> line = app.readLine(10))
            output += *line + "\n";
        EXPECT_EQ(app.finish(10), 3) << output;
        EXPECT_NE(output.find("Quorvane runs in an X11 session with an EWMH window manager, or on KDE Plasma on "
                              "Wayland."),
            std::string::npos)
            << output;
    }
}

bool scriptLoaded()
{
    test::ToolRun loaded = test::runProgram({ "gdbus", "call", "--session", "--dest", "org.kde.KWin", "--object-path",
        "/Scripting", "--method", "org.kde.kwin.Scripting.isScriptLoaded", "quorvane" });
    return loaded.output == "(true,)\n";
}

TEST(KWinAppEndTest, TheScriptLivesAsLongAsTheAppAndTheAppAsLongAsKWin)
{
    test::HeadlessKWin desktop;
    if (desktop.skipReason())
        GTEST_SKIP() << *desktop.skipReason();
    // Without the setup guide's window: what goes with KWin here is the script and the application.
    test::writeConfig(test::configWith({ "onboarding_complete = true" }));
    std::unique_ptr<ChildProcess> app = test::startApp();
    EXPECT_TRUE(scriptLoaded());
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(10), 0);
    EXPECT_FALSE(scriptLoaded());

    app = test::startApp();
    ::kill(desktop.kwin(), SIGTERM);
    EXPECT_EQ(app->finish(10), 3);
}

} // namespace
} // namespace quorvane
