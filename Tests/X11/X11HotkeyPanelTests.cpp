// The chord recorders, the Apps tab and the new web app panel of the real `quorvane-app` on the virtual
// desktop: chords typed with XTest into a recorder that grabs the keyboard, another client's grab, the panel
// driven through the accessibility bus against a local HTTP server, and the tray's menu and the command line
// seeing the result.
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GTK/GTKHotkeyRecorder.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "TestSupport/LocalHTTPServer.h"
#include "TestSupport/TemporaryFolder.h"
#include "WebApps/DesktopIdentifier.h"
#include "WebApps/WebAppBundlePlan.h"
#include "X11/TestAccessibility.h"
#include "X11/TestKeyboard.h"
#include "X11/TestTrayHost.h"
#include "X11/TrayAppTest.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <csignal>
#include <filesystem>

namespace quorvane {
namespace {

using namespace test;
namespace fs = std::filesystem;

constexpr uint8_t keyEscape = 9, keyBackspace = 22;
const std::string settingsTitle = "Quorvane Settings";
const std::string panelTitle = "New web app";
const std::string recordingText = GTKHotkeyRecorder::recordingText;

class X11HotkeyPanelTest : public TrayAppTest {
protected:
    void startWith(const std::string& extra = "") { startWithTray({}, extra); }

    // Chooses the tray's line `line` and waits for the window titled `title` it opens.
    void openFromTray(const std::string& line, const std::string& title)
    {
        ASSERT_TRUE(host.click(line));
        // Looked up once the application shows a window, as a screen reader meets it.
        if (!application)
            application = s_bus->application("quorvane-app");
        ASSERT_TRUE(application);
        window = waitFor([&] { return application.find("frame", title); });
        ASSERT_TRUE(window);
    }

    // Opens the settings from the tray on the tab titled `tab`.
    void openSettings(const std::string& tab)
    {
        openFromTray("Settings…", settingsTitle);
        Accessible page = control("page tab", tab);
        ASSERT_TRUE(page && page.selectTab());
        ASSERT_TRUE(waitFor([&] { return page.selected() ? page : Accessible(); }));
    }

    Accessible control(const std::string& role, const std::string& name)
    {
        return waitFor([&] { return window.find(role, name); });
    }

    bool shows(const std::string& text) { return static_cast<bool>(control("label", text)); }

    // Whether some client holds the keyboard grabbed: a grab of our own would then fail.
    bool keyboardGrabbed()
    {
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
        xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(connection(),
            xcb_grab_keyboard(connection(), 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        bool grabbed = reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
        if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS)
            xcb_ungrab_keyboard(connection(), XCB_CURRENT_TIME);
        std::free(reply);
        xcb_flush(connection());
        return grabbed;
    }

    // Presses the recorder named `recorder` and types `keys` once it records, holding the keyboard; true once
    // it stopped recording and let go of the keyboard.
    bool record(const std::string& recorder, std::initializer_list<uint8_t> keys)
    {
        Accessible button = control("push button", recorder);
        if (!button || !button.act() || !eventually([&] { return button.description() == recordingText; }))
            return false;
        EXPECT_TRUE(keyboardGrabbed());
        keyboard.chord(keys);
        return eventually([&] { return button.description() != recordingText; }) && !keyboardGrabbed();
    }

    std::string configText() { return readFile(ProcessPlaces::paths().configFile()); }

    bool focusedNow(uint32_t id)
    {
        std::optional<WindowFacts> facts = windows.windowSystem().focusedWindow();
        return facts && facts->handle.value == id;
    }

    bool focused(uint32_t id)
    {
        return eventually([&] { return focusedNow(id); });
    }

    Accessible window;
};

TEST_F(X11HotkeyPanelTest, ARecordedHotkeyFiresAndChordsThatCannotAreNamedAndNotSaved)
{
    TestWindow target({ "--app-id", "org.example.Target", "--title", "Target", "--size", "400x300" });
    startWith();
    // Another client holds ctrl+shift+h.
    keyboard.grab(keyH, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
    openSettings("Hotkeys");

    // Escape gives the keyboard back and records nothing.
    ASSERT_TRUE(record("New hotkey chord", { keyEscape }));

    Accessible app = control("text", "Hotkey app");
    ASSERT_TRUE(app.setText("org.example.Target"));
    ASSERT_TRUE(app.act("activate"));
    struct Case {
        std::initializer_list<uint8_t> keys;
        std::string said;
    };
    const Case refused[] = {
        { { keyControl, keyShift, keyH },
            "ctrl+shift+h is held by another program, so it would never reach Quorvane. Pick another chord." },
        { { keyControl, keyAlt, keyF }, "ctrl+opt+f is used by Quorvane itself. It fires the tile key Fill screen." },
    };
    std::string before = configText();
    for (const Case& c : refused) {
        ASSERT_TRUE(record("New hotkey chord", c.keys)) << c.said;
        EXPECT_TRUE(shows(c.said));
    }
    EXPECT_EQ(configText(), before);

    const std::string bound = "\"ctrl+shift+g\" = { bundle = \"org.example.Target\" }";
    ASSERT_TRUE(record("New hotkey chord", { keyControl, keyShift, keyG }));
    // A screen reader says the keys as the keyboard labels them.
    EXPECT_EQ(control("push button", "New hotkey chord").description(), "Ctrl Shift G");
    ASSERT_TRUE(control("push button", "Add Hotkey").act());
    ASSERT_TRUE(eventually([&] { return configText().find(bound) != std::string::npos; }));

    // Typed again with the settings in front, it brings the target forward. The file is saved a moment before
    // the chord is taken, so it is typed until it works; a test grab to see whether it is taken would itself
    // hold the chord for a moment, and could make the application's grab fail.
    ASSERT_FALSE(focusedNow(target.id));
    EXPECT_TRUE(eventually([&] {
        keyboard.chord({ keyControl, keyShift, keyG });
        return eventually([&] { return focusedNow(target.id); }, 0.5);
    }));

    // An edit to a chord another program holds is named, and the old chord stays and still fires.
    ASSERT_TRUE(host.click("Settings…"));
    ASSERT_TRUE(record("Hotkey for org.example.Target", { keyControl, keyShift, keyH }));
    EXPECT_TRUE(shows(refused[0].said));
    EXPECT_NE(configText().find(bound), std::string::npos);
    EXPECT_EQ(configText().find("ctrl+shift+h"), std::string::npos);

    // Backspace while recording removes it.
    ASSERT_TRUE(record("Hotkey for org.example.Target", { keyBackspace }));
    EXPECT_TRUE(eventually([&] { return configText().find("ctrl+shift+g") == std::string::npos; }));
}

// A recorder holds the whole keyboard while it records, so it gives it back by itself: when another window takes
// the focus, and when nothing is typed in time.
TEST_F(X11HotkeyPanelTest, ARecorderGivesTheKeyboardBackWhenLeftOrKeptWaiting)
{
    TestWindow other({ "--app-id", "org.example.Other", "--title", "Other", "--size", "300x200" });
    startWith();
    openSettings("Hotkeys");
    Accessible button = control("push button", "New hotkey chord");
    auto recording = [&] { return button.description() == recordingText; };
    auto givenBack = [&] { return !recording() && !keyboardGrabbed(); };

    ASSERT_TRUE(button.act() && eventually(recording));
    ASSERT_TRUE(keyboardGrabbed());
    windows.windowSystem().raise(WindowHandle { other.id });
    EXPECT_TRUE(focused(other.id));
    // Well before the time limit.
    EXPECT_TRUE(eventually(givenBack, 2));

    ASSERT_TRUE(button.act() && eventually(recording));
    ASSERT_TRUE(keyboardGrabbed());
    // Five seconds, and the poll's margin.
    EXPECT_TRUE(eventually(givenBack, 8));
}

TEST_F(X11HotkeyPanelTest, AWebAppMadeInThePanelIsEverywhereAndGoesFromTheAppsTab)
{
    LocalHTTPServer server({ { "/",
        { 200, "<!DOCTYPE html><html><head><title>Local</title></head><body>Local</body></html>",
            "Content-Type: text/html; charset=utf-8\r\n" } } });
    startWith();
    openFromTray("New Web App…", panelTitle);
    ASSERT_TRUE(control("text", "Address").setText(server.url("/")));
    // The host proposes the name until one is typed.
    ASSERT_TRUE(eventually([&] { return control("text", "Name").text() == "127.0.0.1"; }));
    ASSERT_TRUE(control("text", "Name").setText("Local Notes"));
    ASSERT_TRUE(control("push button", "Create").act());
    ASSERT_TRUE(eventually([&] { return !application.find("frame", panelTitle); }, 10));

    const std::string identifier = desktopIdentifier(bundleIdentifier(slugify("Local Notes")));
    const std::string bundle = ProcessPlaces::paths().appsDirectory() + "/Local Notes.app";
    const std::string launcher = ProcessPlaces::paths().desktopEntriesDirectory() + "/" + identifier + ".desktop";
    EXPECT_NE(runTool({ "app", "list" }).output.find("Local Notes"), std::string::npos);
    EXPECT_TRUE(eventually([&] {
        std::optional<TrayMenuItem> menu = host.menu();
        return menu && menu->find("Local Notes");
    }));
    EXPECT_TRUE(fs::exists(bundle));
    EXPECT_TRUE(fs::exists(launcher));

    openSettings("Apps");
    EXPECT_TRUE(control("icon", "Icon of Local Notes"));
    // The row turns into its question and the keyboard's focus goes along, to the answer that keeps the app.
    Accessible remove = control("push button", "Remove Local Notes");
    ASSERT_TRUE(remove.grabFocus());
    ASSERT_TRUE(eventually([&] { return remove.focused(); }));
    ASSERT_TRUE(remove.act());
    Accessible confirm = control("push button", "Remove Local Notes and its launcher");
    ASSERT_TRUE(confirm);
    EXPECT_TRUE(eventually([&] {
        for (const Accessible& button : window.findAll("push button"))
            if (button.focused())
                return button.name() == "Keep Local Notes";
        return false;
    }));
    ASSERT_TRUE(confirm.act());
    EXPECT_TRUE(eventually([&] { return !fs::exists(bundle) && !fs::exists(launcher); }));
    EXPECT_EQ(runTool({ "app", "list" }).output.find("Local Notes"), std::string::npos);
}

TEST_F(X11HotkeyPanelTest, CancelDuringASlowIconFetchLeavesNothing)
{
    Reply silent;
    silent.silent = true;
    LocalHTTPServer server({ { "/", silent } });
    startWith();
    openFromTray("New Web App…", panelTitle);
    ASSERT_TRUE(control("text", "Address").setText(server.url("/")));
    ASSERT_TRUE(control("text", "Name").setText("Slow"));
    ASSERT_TRUE(control("push button", "Create").act());
    ASSERT_TRUE(server.waitForRequest("/", std::chrono::seconds(10)));
    // The application answers while the site keeps it waiting.
    EXPECT_TRUE(shows("Fetching the site\u2019s icon\u2026"));
    EXPECT_EQ(runTool({ "ping" }).status, 0);
    ASSERT_TRUE(control("push button", "Cancel").act());
    EXPECT_TRUE(control("push button", "Create"));

    // Past the fetch's own time limit, nothing was made.
    EXPECT_FALSE(eventually([&] { return runTool({ "app", "list" }).output.find("Slow") != std::string::npos; }, 6));
    EXPECT_FALSE(fs::exists(ProcessPlaces::paths().appsDirectory() + "/Slow.app"));
    EXPECT_TRUE(application.find("frame", panelTitle));
}

} // namespace
} // namespace quorvane
