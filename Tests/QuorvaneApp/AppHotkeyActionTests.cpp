#include "KeysTesting.h"

#include "WebApps/DesktopIdentifier.h"
#include "WebApps/WebBundleWriter.h"

#include <filesystem>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

const std::string viewer = "org.example.Viewer";

class AppHotkeyActions : public test::KeysTest {
protected:
    void startWithSettings(bool cycle, bool hideOnRepeat)
    {
        startWith(test::configText(
            { { "cycle_windows", cycle ? "true" : "false" }, { "hide_on_repeat", hideOnRepeat ? "true" : "false" } }));
    }

    // A running viewer with one window at each x, the first one in front and focused.
    int32_t viewerWith(const std::vector<double>& xs)
    {
        int32_t pid = desktop.applications.launch(RunningApplication { viewer, 0, "Viewer" });
        for (auto x = xs.rbegin(); x != xs.rend(); ++x)
            addWindow(pid, *x, WindowKind::standard);
        desktop.windowSystem.focus(desktop.windowSystem.frontWindowOf(pid));
        return pid;
    }

    WindowHandle addWindow(int32_t pid, double x, WindowKind kind, const std::string& bundleIdentifier = viewer)
    {
        SimulatedWindow window;
        window.facts.pid = pid;
        window.facts.bundleIdentifier = bundleIdentifier;
        window.facts.frame = Frame { x, 100, 400, 300 };
        window.facts.kind = kind;
        return desktop.windowSystem.addWindow(window);
    }

    void focusAt(double x, const std::string& bundleIdentifier = viewer)
    {
        for (const WindowFacts& window : desktop.windowSystem.windows()) {
            if (window.bundleIdentifier == bundleIdentifier && window.frame->x == x)
                desktop.windowSystem.focus(window.handle);
        }
    }

    double focusedX() { return desktop.windowSystem.focusedWindow()->frame->x; }

    bool hidden(int32_t pid)
    {
        for (const RunningApplication& application : desktop.applications.running()) {
            if (application.pid == pid)
                return application.hidden;
        }
        return false;
    }
};

TEST_F(AppHotkeyActions, AnApplicationThatIsNotRunningIsLaunched)
{
    desktop.applications.install(viewer, "/usr/share/applications/viewer.desktop");
    start();
    model->keys().focusBundle(viewer);
    EXPECT_EQ(desktop.applications.opened(), std::vector<std::string> { "/usr/share/applications/viewer.desktop" });
    EXPECT_EQ(desktop.applications.running().back().bundleIdentifier, viewer);
}

TEST_F(AppHotkeyActions, AnApplicationBehindIsActivatedWithItsWindowsUntouched)
{
    WindowHandle editor = desktop.windowSystem.focusedWindow()->handle;
    int32_t pid = viewerWith({ 0, 500 });
    desktop.windowSystem.focus(editor);
    start();
    model->keys().focusBundle(viewer);
    EXPECT_EQ(desktop.applications.activations(), std::vector<int32_t> { pid });
    EXPECT_TRUE(desktop.windowSystem.raised().empty());
}

TEST_F(AppHotkeyActions, InFrontItsWindowsCycleLeftToRightAndWrap)
{
    viewerWith({ 1000, 0, 500 });
    start();
    const double steps[][2] = { { 500, 1000 }, { 1000, 0 }, { 0, 500 } };
    for (const auto& [from, to] : steps) {
        focusAt(from);
        model->keys().focusBundle(viewer);
        EXPECT_EQ(focusedX(), to) << "from " << from;
    }
}

TEST_F(AppHotkeyActions, AFocusedWindowThatIsNoneOfTheListedOnesCyclesToTheSecond)
{
    struct Case {
        const char* name;
        bool sameProcess;
        double x;
    };
    const Case cases[] = {
        { "a panel of another process of the application", false, 500 },
        { "a dialog eight points off a listed window", true, 508 },
    };
    for (const Case& c : cases) {
        model.reset();
        int32_t pid = viewerWith({ 0, 500, 1000 });
        int32_t owner = c.sameProcess ? pid : desktop.applications.launch(RunningApplication { viewer, 0, "Viewer" });
        desktop.windowSystem.focus(addWindow(owner, c.x, WindowKind::dialog));
        start();
        model->keys().focusBundle(viewer);
        EXPECT_EQ(focusedX(), 500) << c.name;
        // The next case brings its own viewer.
        for (const RunningApplication& application : desktop.applications.running())
            desktop.applications.terminate(application.pid);
    }
}

TEST_F(AppHotkeyActions, InFrontWithoutCyclingItIsHiddenOrFocusedAgain)
{
    struct Case {
        const char* name;
        std::vector<double> windows;
        bool cycle;
        bool hideOnRepeat;
        bool hidden;
    };
    const Case cases[] = {
        { "one window, hide on repeat", { 0 }, true, true, true },
        { "one window, no hiding", { 0 }, true, false, false },
        { "two windows, no cycling, hide on repeat", { 0, 500 }, false, true, true },
    };
    for (const Case& c : cases) {
        model.reset();
        int32_t pid = viewerWith(c.windows);
        startWithSettings(c.cycle, c.hideOnRepeat);
        model->keys().focusBundle(viewer);
        EXPECT_EQ(hidden(pid), c.hidden) << c.name;
        EXPECT_TRUE(desktop.windowSystem.raised().empty()) << c.name;
        desktop.applications.terminate(pid);
    }
}

TEST_F(AppHotkeyActions, WithoutWindowControlAnApplicationInFrontIsFocusedAgain)
{
    int32_t pid = viewerWith({ 0, 500, 1000 });
    desktop.permissions.setWindowControl(false);
    start();
    model->keys().focusBundle(viewer);
    EXPECT_EQ(desktop.applications.activations(), std::vector<int32_t> { pid });
    EXPECT_TRUE(desktop.windowSystem.raised().empty());
}

TEST_F(AppHotkeyActions, AnApplicationNobodyCanFindIsReportedInTheBanner)
{
    start();
    model->keys().performToken("org.example.Missing");
    EXPECT_EQ(model->banner(), "Quorvane could not find org.example.Missing.");
    EXPECT_FALSE(model->bannerIsSuccess());
    EXPECT_TRUE(desktop.applications.opened().empty());
}

TEST_F(AppHotkeyActions, AWebAppIsFoundAsItsGeneratedBundleOnlyWhileThatExists)
{
    startWith(test::configText({},
        "\n[apps.notes]\nurl = \"https://notes.example.com\"\nname = \"Notes\"\n"
        "bundle_id = \"com.quorvane.webapp.notes\"\n"));
    std::string host = webHostExecutable(paths().appsDirectory() + "/Notes.app");
    EXPECT_EQ(model->url("com.quorvane.webapp.notes"), std::nullopt);
    fs::create_directories(fs::path(host).parent_path());
    test::writeFile(host, "host");
    EXPECT_EQ(model->url("com.quorvane.webapp.notes"), host);
    model->keys().openBundle("com.quorvane.webapp.notes");
    EXPECT_EQ(desktop.applications.opened(), std::vector<std::string> { host });
}

TEST_F(AppHotkeyActions, ARunningWebAppIsFoundUnderTheNameTheDesktopGivesIt)
{
    // The desktop cannot take "é" in an application id, so it knows this web app by an escaped name.
    const std::string cafe = "com.quorvane.webapp.café";
    const std::string desktopName = desktopIdentifier(cafe);
    ASSERT_NE(desktopName, cafe);
    WindowHandle editor = desktop.windowSystem.focusedWindow()->handle;
    int32_t pid = desktop.applications.launch(RunningApplication { desktopName, 0, "Café" });
    addWindow(pid, 500, WindowKind::standard, desktopName);
    addWindow(pid, 0, WindowKind::standard, desktopName);
    desktop.windowSystem.focus(editor);
    startWith(test::configText(
        {}, "\n[apps.cafe]\nurl = \"https://cafe.example.com\"\nname = \"Café\"\nbundle_id = \"" + cafe + "\"\n"));
    model->keys().focusBundle(cafe);
    EXPECT_EQ(desktop.applications.activations(), std::vector<int32_t> { pid });
    EXPECT_TRUE(desktop.applications.opened().empty());
    // In front, its windows cycle like any application's.
    focusAt(0, desktopName);
    model->keys().focusBundle(cafe);
    EXPECT_EQ(focusedX(), 500);
}

TEST_F(AppHotkeyActions, TheNewAppTokenOpensItsPanel)
{
    start();
    model->keys().perform(TapAction::token("quorvane.new-app"));
    EXPECT_TRUE(desktop.appWindows.panelOpen("new-app"));
}

TEST_F(AppHotkeyActions, TheTileModeTokenAndTheExitActionSwitchTileMode)
{
    start();
    const std::pair<TapAction, bool> steps[] = {
        { TapAction::tile(TileAction::exit()), false },
        { TapAction::token("quorvane.tile-mode"), true },
        { TapAction::token("quorvane.tile-mode"), false },
        { TapAction::token("quorvane.tile-mode"), true },
        { TapAction::tile(TileAction::exit()), false },
    };
    for (const auto& [action, tileMode] : steps) {
        model->keys().perform(action);
        EXPECT_EQ(model->tileMode(), tileMode);
    }
}

} // namespace
} // namespace quorvane
