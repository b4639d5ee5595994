// The X11 backend against a real X server and window manager: the private virtual desktop of
// scripts/virtual-desktop.sh with Openbox, two monitors side by side and our own test windows.
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "Router/DoctorCheck.h"
#include "TestSupport/TemporaryFolder.h"
#include "X11/VirtualDesktop.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace quorvane {
namespace {

using test::eventually;
using test::TestWindow;

// Openbox's decoration around a normal window: left, right, top, bottom.
constexpr double borderLeft = 1, borderRight = 1, borderTop = 20, borderBottom = 5;

class X11WindowSystemTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        desktop = new test::VirtualDesktop();
        // Desktop files must be in place before GIO first reads the application list.
        std::string applications = std::string(std::getenv("XDG_DATA_HOME")) + "/applications";
        std::filesystem::create_directories(applications);
        test::writeFile(applications + "/org.example.Notes.desktop",
            "[Desktop Entry]\nType=Application\nName=Notes\nExec=true\nStartupWMClass=NotesWindow\n");
        test::writeFile(
            applications + "/Sketch.desktop", "[Desktop Entry]\nType=Application\nName=Sketch\nExec=true\n");
    }
    static void TearDownTestSuite()
    {
        delete desktop;
        desktop = nullptr;
    }

    // The facts of one window as the backend lists it, once the window manager has decorated it.
    std::optional<WindowFacts> listed(uint32_t id)
    {
        std::optional<WindowFacts> found;
        eventually([&] {
            found.reset();
            for (const WindowFacts& window : windows.windowSystem().windows())
                if (window.handle.value == id && window.frame && window.frame->height > 0)
                    found = window;
            return found.has_value();
        });
        return found;
    }

    bool absent(uint32_t id)
    {
        for (const WindowFacts& window : windows.windowSystem().windows())
            if (window.handle.value == id)
                return false;
        return true;
    }

    static test::VirtualDesktop* desktop;
    GLibMainLoop loop;
    X11Desktop windows { loop };
};

test::VirtualDesktop* X11WindowSystemTest::desktop = nullptr;

TEST_F(X11WindowSystemTest, ReportsEachWindowWithItsKindAndState)
{
    TestWindow plain({ "--title", "Plain", "--size", "400x300" });
    TestWindow narrow({ "--title", "Narrow", "--size", "77x500" });
    TestWindow dialog({ "--title", "Dialog", "--type", "dialog" });
    TestWindow transient({ "--title", "Transient", "--transient-for", std::to_string(plain.id) });
    TestWindow utility({ "--title", "Utility", "--type", "utility" });
    TestWindow fullScreen({ "--title", "Full", "--state", "fullscreen" });
    TestWindow minimised({ "--title", "Minimised", "--minimize" });
    TestWindow own({ "--title", "Own", "--pid", std::to_string(::getpid()) });

    struct Expected {
        const TestWindow& window;
        std::optional<WindowKind> kind;
        bool minimized, fullScreen, ownWindow;
    };
    for (const Expected& expected : std::initializer_list<Expected> {
             { plain, WindowKind::standard, false, false, false },
             { narrow, WindowKind::standard, false, false, false },
             { dialog, WindowKind::dialog, false, false, false },
             { transient, WindowKind::dialog, false, false, false },
             { utility, WindowKind::other, false, false, false },
             { fullScreen, WindowKind::standard, false, true, false },
             { own, WindowKind::standard, false, false, true },
         }) {
        std::optional<WindowFacts> facts = listed(expected.window.id);
        ASSERT_TRUE(facts) << expected.window.id;
        EXPECT_EQ(facts->kind, expected.kind) << facts->title;
        EXPECT_EQ(facts->fullScreen, expected.fullScreen) << facts->title;
        EXPECT_EQ(facts->ownWindow, expected.ownWindow) << facts->title;
        EXPECT_EQ(facts->id, "x11:" + std::to_string(expected.window.id));
    }
    // Minimised windows are unmapped but still listed, as minimised.
    EXPECT_TRUE(eventually([&] {
        for (const WindowFacts& window : windows.windowSystem().windows())
            if (window.handle.value == minimised.id)
                return window.minimized;
        return false;
    }));
    // The outer frame of a 77-pixel client is 79 wide: just under the size tiling takes.
    EXPECT_EQ(listed(narrow.id)->frame->width, 77 + borderLeft + borderRight);
    // A full-screen window fills its monitor without decoration.
    EXPECT_EQ(listed(fullScreen.id)->frame, (Frame { 0, 0, 960, 1080 }));
}

TEST_F(X11WindowSystemTest, AWindowIsReadyOnceTitledAndManagedAndSaysSoWhenItIs)
{
    WindowSystem& system = windows.windowSystem();
    int changes = 0;
    system.setChangeHandler([&] { ++changes; });
    auto serve = [] {
        while (g_main_context_iteration(g_main_context_get_thread_default(), false)) { }
    };
    TestWindow titled({ "--title", "Titled" });
    TestWindow late({ "--title", "Late", "--title-after", "1500" });
    std::optional<WindowFacts> early = listed(late.id);
    ASSERT_TRUE(early);
    EXPECT_FALSE(early->ready);
    EXPECT_EQ(early->title, "");
    EXPECT_TRUE(listed(titled.id)->ready);
    // The notices of both windows' arrival came before the listing's reply: served, they are done with.
    serve();
    changes = 0;
    // Nothing but the late title changes now, and the window system tells.
    EXPECT_TRUE(eventually([&] {
        serve();
        return changes > 0;
    }));
    EXPECT_TRUE(eventually([&] { return listed(late.id)->ready; }));
    EXPECT_EQ(listed(late.id)->title, "Late");
}

TEST_F(X11WindowSystemTest, WindowsOnAnotherDesktopAreLeftOut)
{
    TestWindow here({ "--title", "Here" });
    TestWindow elsewhere({ "--title", "Elsewhere", "--desktop", "1" });
    TestWindow everywhere({ "--title", "Everywhere", "--desktop", "4294967295" });
    ASSERT_TRUE(listed(here.id));
    ASSERT_TRUE(listed(everywhere.id));
    EXPECT_TRUE(absent(elsewhere.id));
}

TEST_F(X11WindowSystemTest, ListsFrontToBack)
{
    TestWindow back({ "--title", "Back" });
    ASSERT_TRUE(listed(back.id));
    TestWindow front({ "--title", "Front" });
    ASSERT_TRUE(listed(front.id));
    std::vector<uint64_t> order;
    for (const WindowFacts& window : windows.windowSystem().windows())
        if (window.handle.value == back.id || window.handle.value == front.id)
            order.push_back(window.handle.value);
    EXPECT_EQ(order, (std::vector<uint64_t> { front.id, back.id }));
    EXPECT_TRUE(eventually([&] {
        std::optional<WindowFacts> focused = windows.windowSystem().focusedWindow();
        return focused && focused->handle.value == front.id;
    }));
    windows.windowSystem().raise(WindowHandle { back.id });
    EXPECT_TRUE(eventually([&] {
        std::optional<WindowFacts> focused = windows.windowSystem().focusedWindow();
        return focused && focused->handle.value == back.id;
    }));
}

TEST_F(X11WindowSystemTest, FramesAreOuterFramesAndWritesLandExactly)
{
    TestWindow window({ "--title", "Mover", "--position", "100,200", "--size", "400x300" });
    std::optional<WindowFacts> facts = listed(window.id);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->frame->width, 400 + borderLeft + borderRight);
    EXPECT_EQ(facts->frame->height, 300 + borderTop + borderBottom);
    EXPECT_EQ(windows.windowSystem().readFrame(facts->handle), facts->frame);

    WindowSystem& system = windows.windowSystem();
    for (Frame target : { Frame { 0, 0, 960, 540 }, Frame { 970, 30, 500, 400 }, Frame { 8, 8, 944, 1064 } }) {
        system.setFrame(facts->handle, target, AxisWrite::positionThenSize);
        EXPECT_TRUE(eventually([&] { return system.readFrame(facts->handle) == target; }))
            << target.x << "," << target.y << " " << target.width << "x" << target.height;
    }
}

TEST_F(X11WindowSystemTest, MaximisedWindowsAreReleasedBeforeTheyMove)
{
    TestWindow window({ "--title", "Big", "--state", "maximized" });
    std::optional<WindowFacts> facts = listed(window.id);
    ASSERT_TRUE(facts);
    Frame target { 100, 100, 600, 400 };
    windows.windowSystem().setFrame(facts->handle, target, AxisWrite::sizeThenPosition);
    std::optional<Frame> frame;
    EXPECT_TRUE(eventually([&] { return (frame = windows.windowSystem().readFrame(facts->handle)) == target; }))
        << frame->x << "," << frame->y << " " << frame->width << "x" << frame->height;
}

TEST_F(X11WindowSystemTest, WindowsThatVanishAreHarmless)
{
    auto window = std::make_unique<TestWindow>(std::vector<std::string> { "--title", "Fleeting" });
    ASSERT_TRUE(listed(window->id));
    WindowHandle handle { window->id };
    window.reset();
    ASSERT_TRUE(eventually([&] { return absent(handle.value); }));
    WindowSystem& system = windows.windowSystem();
    EXPECT_EQ(system.readFrame(handle), std::nullopt);
    system.setFrame(handle, { 0, 0, 500, 500 }, AxisWrite::positionThenSize);
    system.raise(handle);
    // The connection still answers after the errors those requests caused.
    TestWindow after({ "--title", "After" });
    EXPECT_TRUE(listed(after.id));
}

TEST_F(X11WindowSystemTest, TitlesAndPids)
{
    TestWindow unicode({ "--title", "Café ☕ 東京" });
    TestWindow legacy({ "--legacy-title", "Crème brûlée" });
    TestWindow silent({ "--title", "No pid", "--pid", "0" });
    EXPECT_EQ(listed(unicode.id)->title, "Café ☕ 東京");
    EXPECT_EQ(listed(legacy.id)->title, "Crème brûlée");
    EXPECT_EQ(listed(unicode.id)->pid, unicode.process.pid());
    // Without _NET_WM_PID the server says which process holds the window's connection.
    EXPECT_EQ(listed(silent.id)->pid, silent.process.pid());
}

TEST_F(X11WindowSystemTest, ApplicationIds)
{
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> environment;
        std::string expected;
    };
    for (const Case& each :
        std::vector<Case> {
            { { "--app-id", "org.example.Gtk", "--class", "gtk,Gtk" }, {}, "org.example.Gtk" },
            { { "--class", "notes,NotesWindow" }, {}, "org.example.Notes" },
            { { "--class", "sketch,SketchPad" }, {}, "Sketch" },
            { { "--class", "thing,ThingClass" }, {}, "ThingClass" },
            { { "--class", "launched,Launched" },
                { "GIO_LAUNCHED_DESKTOP_FILE=/opt/apps/org.example.Launched.desktop" }, "org.example.Launched" },
            // A child of a launched process inherits the launcher's variables but is another application.
            { { "--class", "child,Child" },
                { "GIO_LAUNCHED_DESKTOP_FILE=/opt/apps/org.example.Parent.desktop", "GIO_LAUNCHED_DESKTOP_FILE_PID=1" },
                "Child" },
        }) {
        TestWindow window(each.options, each.environment);
        std::optional<WindowFacts> facts = listed(window.id);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->bundleIdentifier, each.expected);
    }
}

// What a client cannot change while its window is managed is read once per window; a window that takes over a
// gone window's id is read afresh. X11 hands a gone client's ids to the next client, so the next window most
// likely has the same id.
TEST_F(X11WindowSystemTest, AWindowThatTakesOverAnIdIsReadAfresh)
{
    uint32_t first = 0;
    {
        TestWindow gone({ "--class", "gone,GoneClass", "--pid", "0" });
        first = gone.id;
        ASSERT_EQ(listed(first)->bundleIdentifier, "GoneClass");
        EXPECT_EQ(listed(first)->pid, gone.process.pid());
    }
    TestWindow next({ "--class", "next,NextClass", "--pid", "0" });
    if (next.id != first)
        GTEST_SKIP() << "the server gave the next window another id";
    // Managed before the backend lists again, so that the id never leaves its list.
    X11Connection own;
    ASSERT_TRUE(eventually([&] {
        std::vector<uint32_t> clients = readCardinals(own.xcb(), own.root(), own.ewmh()->_NET_CLIENT_LIST, 65536);
        return std::find(clients.begin(), clients.end(), next.id) != clients.end();
    }));
    std::optional<WindowFacts> facts = listed(next.id);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->bundleIdentifier, "NextClass");
    EXPECT_EQ(facts->pid, next.process.pid());
}

TEST_F(X11WindowSystemTest, DisplaysAreTheMonitorsWithoutDockStruts)
{
    WindowSystem& system = windows.windowSystem();
    std::vector<DisplayFacts> before = system.displays();
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(before[0], (DisplayFacts { "LEFT", { 0, 0, 960, 1080 }, { 0, 0, 960, 1080 }, true }));
    EXPECT_EQ(before[1], (DisplayFacts { "RIGHT", { 960, 0, 960, 1080 }, { 960, 0, 960, 1080 }, false }));

    // A 30-pixel panel along the top of the right monitor only.
    TestWindow dock(
        { "--type", "dock", "--position", "960,0", "--size", "960x30", "--strut", "0,0,30,0,0,0,0,0,960,1919,0,0" });
    EXPECT_TRUE(eventually([&] {
        std::vector<DisplayFacts> after = system.displays();
        return after.size() == 2 && after[0].visibleFrame == Frame { 0, 0, 960, 1080 }
        && after[1].visibleFrame == Frame { 960, 30, 960, 1050 };
    }));
}

TEST_F(X11WindowSystemTest, ListChangesReachTheChangeHandler)
{
    int changes = 0;
    windows.windowSystem().setChangeHandler([&] {
        ++changes;
        loop.quit();
    });
    TestWindow window({ "--title", "New" });
    TimerId timeout = loop.addTimer(5, false, [&] { loop.quit(); });
    loop.run();
    loop.cancelTimer(timeout);
    EXPECT_GE(changes, 1);
}

TEST_F(X11WindowSystemTest, TheWindowManagerIsThePermission)
{
    EXPECT_TRUE(windows.permissions().windowControlAllowed());
    std::vector<DoctorCheck> checks = windows.permissions().checks();
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[1].name, "windows");
    EXPECT_EQ(checks[1].status, DoctorCheck::Status::pass);
    EXPECT_EQ(windows.windowSystem().enhancedMode(::getpid()), EnhancedMode::unknown);
    // Xvfb's only mode has no dot clock: the rate is unknown, never a division by zero.
    EXPECT_EQ(windows.windowSystem().refreshRate(), 0);
    EXPECT_EQ(windows.applications().ownPid(), ::getpid());
}

} // namespace
} // namespace quorvane

namespace quorvane {
namespace {

TEST_F(X11WindowSystemTest, ActivatingBringsBackAMinimisedApplication)
{
    TestWindow minimised({ "--title", "Minimised", "--minimize" });
    ASSERT_TRUE(listed(minimised.id));
    ASSERT_TRUE(eventually([&] { return listed(minimised.id)->minimized; }));
    windows.applications().activate(minimised.process.pid());
    EXPECT_TRUE(eventually([&] {
        std::optional<RunningApplication> front = windows.applications().frontmost();
        return !listed(minimised.id)->minimized && front && front->pid == minimised.process.pid();
    }));
}

TEST_F(X11WindowSystemTest, AnApplicationQuitsWhenItsLastWindowAndProcessAreGone)
{
    TestWindow window({ "--title", "Quits", "--app-id", "org.example.Quits" });
    ASSERT_TRUE(listed(window.id));
    std::vector<RunningApplication> quits;
    windows.applications().setQuitHandler([&](const RunningApplication& application) {
        quits.push_back(application);
        loop.quit();
    });
    pid_t pid = window.process.pid();
    window.process.finish();
    TimerId timeout = loop.addTimer(5, false, [&] { loop.quit(); });
    loop.run();
    loop.cancelTimer(timeout);
    ASSERT_EQ(quits.size(), 1u);
    EXPECT_EQ(quits[0].bundleIdentifier, "org.example.Quits");
    EXPECT_EQ(quits[0].pid, pid);
}

} // namespace
} // namespace quorvane
