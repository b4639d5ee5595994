// The settings window of the real `quorvane-app` on the virtual desktop, opened from the tray test host and
// driven through the accessibility bus as a screen reader drives it; a window for a rule is picked with an
// XTest click and the application's own keys are typed with XTest.
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "TestSupport/TemporaryFolder.h"
#include "Tiling/TileGeometry.h"
#include "X11/TestAccessibility.h"
#include "X11/TestKeyboard.h"
#include "X11/TestTrayHost.h"
#include "X11/TrayAppTest.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <csignal>
#include <filesystem>

namespace quorvane {
namespace {

using namespace test;

constexpr uint8_t keyW = 25, keyEscape = 9;
const std::string settingsTitle = "Quorvane Settings";

class X11SettingsTest : public TrayAppTest {
protected:
    // Starts the application with the tray host and opens its settings from the menu.
    void openSettings()
    {
        startWithTray();
        ASSERT_TRUE(host.click("Settings…"));
        application = s_bus->application("quorvane-app");
        ASSERT_TRUE(application);
        settings = waitFor([&] { return application.find("frame", settingsTitle); });
        ASSERT_TRUE(settings);
    }

    Accessible control(const std::string& role, const std::string& name)
    {
        return waitFor([&] { return settings.find(role, name); });
    }

    // Turns to the tab named `title`.
    bool turnTo(const std::string& title)
    {
        Accessible tab = control("page tab", title);
        return tab && tab.selectTab() && waitFor([&] { return tab.selected() ? tab : Accessible(); });
    }

    // Whether a label of the window reads `text`.
    bool shows(const std::string& text) { return static_cast<bool>(control("label", text)); }

    bool fileHas(const std::string& line)
    {
        return eventually([&] {
            std::string text = "\n" + readFile(ProcessPlaces::paths().configFile());
            return text.find("\n" + line + "\n") != std::string::npos;
        });
    }

    Frame mainArea()
    {
        for (const DisplayFacts& display : windows.windowSystem().displays())
            if (display.isMain)
                return display.visibleFrame;
        return {};
    }

    bool landsOn(uint32_t id, const Frame& target)
    {
        return eventually([&] {
            std::optional<Frame> frame = windows.windowSystem().readFrame(WindowHandle { id });
            return frame && std::abs(frame->x - target.x) < 1 && std::abs(frame->y - target.y) < 1
                && std::abs(frame->width - target.width) < 1 && std::abs(frame->height - target.height) < 1;
        });
    }

    // A click of the first button at (`x`, `y`) on the screen, as the person's mouse makes it.
    void click(int x, int y)
    {
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
        xcb_test_fake_input(connection(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, int16_t(x), int16_t(y), 0);
        xcb_test_fake_input(connection(), XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(connection(), XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        waitForServer();
    }

    Accessible settings;

private:
    // Returns once the server has handled everything sent so far.
    void waitForServer()
    {
        std::free(xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));
    }
};

TEST_F(X11SettingsTest, OpensFromTheTrayAndItsEditsReachTheFileAndTheRunningApplication)
{
    TestWindow first({ "--app-id", "org.example.First", "--title", "First", "--size", "500x400" });
    openSettings();
    for (const char* tab : { "General", "Tiling", "Hotkeys", "Apps", "Agents" })
        EXPECT_TRUE(control("page tab", tab)) << tab;
    EXPECT_TRUE(control("page tab", "General").selected());

    // The gap lands in the file and the next tile keeps it.
    ASSERT_TRUE(turnTo("Tiling"));
    Accessible gap = control("spin button", "Tile gap");
    ASSERT_TRUE(gap);
    ASSERT_TRUE(gap.setValue(12));
    EXPECT_TRUE(fileHas("tile_gap = 12"));
    ASSERT_EQ(runTool({ "tile", "org.example.First", "left-half" }).status, 0);
    EXPECT_TRUE(landsOn(first.id, frameForTile(TileSlot::leftHalf, mainArea(), 12)));

    // A leader key that is no key is refused with the update's sentence, and nothing is saved.
    ASSERT_TRUE(turnTo("General"));
    std::string before = readFile(ProcessPlaces::paths().configFile());
    Accessible leader = control("text", "Leader key");
    ASSERT_TRUE(leader);
    ASSERT_TRUE(leader.setText("hyperspace"));
    ASSERT_TRUE(leader.act("activate"));
    EXPECT_TRUE(shows("Use a key name such as caps for the leader key, or leave it empty."));
    EXPECT_EQ(readFile(ProcessPlaces::paths().configFile()), before);

    // An edit made with the command line while the window is open shows in it.
    ASSERT_EQ(runTool({ "hotkey", "set", "ctrl+opt+e", "org.example.First" }).status, 0);
    ASSERT_TRUE(turnTo("Hotkeys"));
    EXPECT_TRUE(control("push button", "Hotkey for org.example.First"));
    EXPECT_TRUE(shows("org.example.First"));

    // ctrl+w closes the window; the application keeps running.
    ASSERT_TRUE(eventually([&] {
        std::optional<WindowFacts> focused = windows.windowSystem().focusedWindow();
        return focused && focused->title == settingsTitle;
    }));
    keyboard.chord({ keyControl, keyW });
    EXPECT_TRUE(eventually([&] { return !application.find("frame", settingsTitle); }));
    EXPECT_EQ(runTool({ "ping" }).status, 0);
}

TEST_F(X11SettingsTest, ARuleMadeByPickingAWindowNamesItsApplication)
{
    TestWindow first({ "--app-id", "org.example.First", "--title", "First", "--size", "500x400" });
    openSettings();
    ASSERT_EQ(runTool({ "tile", "org.example.First", "left-half" }).status, 0);
    Frame target = frameForTile(TileSlot::leftHalf, mainArea(), 0);
    ASSERT_TRUE(landsOn(first.id, target));
    std::string census;
    for (const WindowFacts& facts : windows.windowSystem().windows()) {
        if (facts.handle == WindowHandle { first.id })
            census = facts.bundleIdentifier;
    }
    ASSERT_FALSE(census.empty());

    ASSERT_TRUE(turnTo("Tiling"));
    Accessible pick = control("push button", "Pick a window");
    // Escape ends a pick without an answer.
    ASSERT_TRUE(pick.act());
    ASSERT_TRUE(waitFor([&] { return !pick.sensitive() ? pick : Accessible(); }));
    keyboard.chord({ keyEscape });
    ASSERT_TRUE(waitFor([&] { return pick.sensitive() ? pick : Accessible(); }));
    EXPECT_EQ(control("text", "Rule app").text(), "");

    ASSERT_TRUE(pick.act());
    // The button waits, insensitive, while the pointer is grabbed.
    ASSERT_TRUE(waitFor([&] { return !pick.sensitive() ? pick : Accessible(); }));
    click(int(target.x) + 30, int(target.y) + 60);
    Accessible app = control("text", "Rule app");
    ASSERT_TRUE(eventually([&] { return app.text() == census; }));
    ASSERT_TRUE(control("push button", "Add Rule").act());
    EXPECT_TRUE(fileHas("bundle = \"" + census + "\""));
    EXPECT_TRUE(shows(census + " opens on left-half."));
    EXPECT_TRUE(control("push button", "Pick a window").sensitive());
}

TEST_F(X11SettingsTest, ASkillInstalledFromTheAgentsTabIsInTheToolsFolder)
{
    openSettings();
    std::string home = ProcessPlaces::paths().home;
    std::filesystem::create_directories(home + "/.claude");
    ASSERT_TRUE(turnTo("Agents"));
    // The folder is read again with the list; a new one is added by name.
    std::string folder = "~/.claude/skills";
    Accessible install = control("push button", "Install the skill in " + folder);
    ASSERT_TRUE(install);
    ASSERT_TRUE(install.act());
    EXPECT_TRUE(shows("Installed the Quorvane skill in " + folder + "."));
    EXPECT_TRUE(std::filesystem::exists(home + "/.claude/skills/quorvane/SKILL.md"));
    EXPECT_NE(runTool({ "skill", "paths" }).output.find("found\t" + folder), std::string::npos);
    EXPECT_TRUE(control("push button", "Uninstall the skill from " + folder));

    // A sentence with a word longer than its line breaks inside the window rather than widening it.
    std::string deep = "~/" + std::string(240, 'w') + "/skills";
    Accessible field = control("text", "Another skill folder");
    ASSERT_TRUE(field);
    ASSERT_TRUE(field.setText(deep));
    ASSERT_TRUE(field.act("activate"));
    Accessible add = control("push button", "Add the skill folder");
    ASSERT_TRUE(add);
    ASSERT_TRUE(add.act());
    Accessible installDeep = control("push button", "Install the skill in " + deep);
    ASSERT_TRUE(installDeep);
    ASSERT_TRUE(installDeep.act());
    EXPECT_TRUE(shows("Installed the Quorvane skill in " + deep + "."));
    std::optional<WindowFacts> window;
    for (const WindowFacts& facts : windows.windowSystem().windows())
        if (facts.title == settingsTitle)
            window = facts;
    ASSERT_TRUE(window && window->frame);
    EXPECT_LE(window->frame->width, 960);
}

} // namespace
} // namespace quorvane
