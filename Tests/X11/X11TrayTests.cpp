// The tray item as a tray sees it: the real `quorvane-app` on the virtual desktop registers with a
// StatusNotifier host written for the tests, which reads its properties and menu over D-Bus and clicks its
// lines; keys are typed with XTest.
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "Tiling/TileGeometry.h"
#include "X11/TestKeyboard.h"
#include "X11/TestTrayHost.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace quorvane {
namespace {

using namespace test;

constexpr uint8_t keyD = 40, keyS = 39, keyK = 45, keyL = 46, keyW = 25;
const std::string tileModeLine = "Tile Mode (ctrl+opt+space)";

class X11TrayTest : public testing::Test {
protected:
    X11TrayTest() { m_connection = xcb_connect(nullptr, nullptr); }

    ~X11TrayTest() override
    {
        if (app) {
            app->signal(SIGTERM);
            EXPECT_EQ(app->finish(), 0);
        }
        xcb_disconnect(m_connection);
    }

    void startApp()
    {
        writeConfig(configWith({ "animate_tiles = false", "onboarding_complete = true" }));
        app = test::startApp();
    }

    // Waits for the item's `count`-th registration with the host.
    bool registered(size_t count = 1)
    {
        return eventually([&] { return host->registrations().size() >= count; });
    }

    std::vector<std::string> labels(const std::string& submenu = "")
    {
        std::optional<TrayMenuItem> menu = host->menu();
        if (!menu)
            return {};
        if (submenu.empty())
            return menu->labels();
        const TrayMenuItem* parent = menu->find(submenu);
        return parent ? parent->labels() : std::vector<std::string> {};
    }

    std::optional<TrayMenuItem> line(const std::string& label)
    {
        std::optional<TrayMenuItem> menu = host->menu();
        const TrayMenuItem* found = menu ? menu->find(label) : nullptr;
        return found ? std::optional(*found) : std::nullopt;
    }

    // Whether a window of the application named `name` is on the screen.
    bool appWindowShown(const std::string& name)
    {
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        auto* tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, root), nullptr);
        if (!tree)
            return false;
        bool shown = false;
        xcb_window_t* children = xcb_query_tree_children(tree);
        for (int index = 0; index < xcb_query_tree_children_length(tree) && !shown; ++index) {
            auto* title = xcb_get_property_reply(m_connection,
                xcb_get_property(m_connection, 0, children[index], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                nullptr);
            auto* attributes = xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, children[index]), nullptr);
            shown = title && attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE
                && std::string(static_cast<char*>(xcb_get_property_value(title)), xcb_get_property_value_length(title))
                    == name;
            std::free(title);
            std::free(attributes);
        }
        std::free(tree);
        return shown;
    }

    Frame leftArea()
    {
        for (const DisplayFacts& display : windows.windowSystem().displays())
            if (display.isMain)
                return display.visibleFrame;
        return {};
    }

    bool landsOn(uint32_t id, TileSlot slot)
    {
        Frame target = frameForTile(slot, leftArea(), 0);
        return eventually([&] {
            std::optional<Frame> frame = windows.windowSystem().readFrame(WindowHandle { id });
            return frame && std::abs(frame->x - target.x) < 1 && std::abs(frame->y - target.y) < 1
                && std::abs(frame->width - target.width) < 1 && std::abs(frame->height - target.height) < 1;
        });
    }

    VirtualDesktop desktop;
    Keyboard keyboard;
    GLibMainLoop loop;
    X11Desktop windows { loop };
    std::optional<TestTrayHost> host;
    std::unique_ptr<ChildProcess> app;

private:
    xcb_connection_t* m_connection;
};

TEST_F(X11TrayTest, TheItemRegistersWithItsLookAndMenuAndTileModeTogglesFromIt)
{
    host.emplace();
    startApp();
    ASSERT_TRUE(registered());
    EXPECT_EQ(host->registrations().front().path, "/org/ayatana/NotificationItem/quorvane");
    ASSERT_TRUE(eventually([&] { return host->property("Status") == "Active"; }));
    EXPECT_EQ(host->property("Title"), "Quorvane");
    EXPECT_EQ(host->property("IconName"), "quorvane-symbolic");
    EXPECT_EQ(host->property("IconAccessibleDesc"), "Quorvane");
    // The icons are found by name through the item's theme folder in the build tree.
    std::optional<std::string> themes;
    ASSERT_TRUE(eventually([&] { return (themes = host->property("IconThemePath")) && !themes->empty(); }));
    EXPECT_TRUE(std::filesystem::exists(*themes + "/hicolor/scalable/apps/quorvane-tile-mode-symbolic.svg")) << *themes;

    EXPECT_EQ(labels(), (std::vector<std::string> { tileModeLine, "Layouts", "Web Apps", "Settings…", "Setup Guide…", "-", "About Quorvane", "-",
                            "Quit Quorvane" }));
    EXPECT_EQ(labels("Layouts"), std::vector<std::string> { "Save Layout…" });
    std::optional<TrayMenuItem> tileMode = line(tileModeLine);
    ASSERT_TRUE(tileMode);
    EXPECT_EQ(tileMode->toggleType, "checkmark");
    EXPECT_EQ(tileMode->toggleState, 0);
    std::optional<TrayMenuItem> noApps = line("No web apps yet");
    ASSERT_TRUE(noApps);
    EXPECT_FALSE(noApps->enabled);
    // A tray can still click an insensitive line; nothing happens.
    EXPECT_TRUE(host->click("No web apps yet"));
    EXPECT_EQ(runTool({ "ping" }).status, 0);

    EXPECT_TRUE(host->click(tileModeLine));
    EXPECT_TRUE(eventually([&] { return host->property("Title") == "Quorvane, tile mode on"; }));
    EXPECT_EQ(host->property("IconName"), "quorvane-tile-mode-symbolic");
    EXPECT_TRUE(eventually([&] { return appWindowShown("Tile mode"); }));
    EXPECT_TRUE(eventually([&] { return line(tileModeLine) && line(tileModeLine)->toggleState == 1; }));

    // The middle click toggles it back.
    EXPECT_TRUE(host->secondaryActivate());
    EXPECT_TRUE(eventually([&] { return host->property("Title") == "Quorvane"; }));
    EXPECT_TRUE(eventually([&] { return !appWindowShown("Tile mode"); }));
    EXPECT_TRUE(eventually([&] { return line(tileModeLine) && line(tileModeLine)->toggleState == 0; }));

    EXPECT_NE(runTool({ "doctor" }).output.find("[pass] tray: A tray shows Quorvane's item and menu."),
        std::string::npos);
}

TEST_F(X11TrayTest, LayoutsAreSavedAndAppliedFromTheMenuAndAFailedCycleShowsItsBanner)
{
    host.emplace();
    startApp();
    ASSERT_TRUE(registered());

    // Cycling with no saved layout fails, and the menu leads with why.
    keyboard.chord({ keyControl, keyAlt, keyL });
    ASSERT_TRUE(eventually([&] { return !labels().empty() && labels().front() == "No saved layouts."; }));
    std::optional<TrayMenuItem> banner = line("No saved layouts.");
    EXPECT_EQ(banner->iconName, "dialog-warning-symbolic");
    EXPECT_EQ(banner->accessibleDescription, "Problem: No saved layouts.");
    // Chosen, it opens the settings, whose status line shows it; ctrl+w closes them again.
    auto settingsShown = [&] {
        std::vector<WindowFacts> all = windows.windowSystem().windows();
        return std::any_of(all.begin(), all.end(), [](const WindowFacts& w) { return w.title == "Quorvane Settings"; });
    };
    EXPECT_TRUE(host->click("No saved layouts."));
    ASSERT_TRUE(eventually([&] {
        std::optional<WindowFacts> focused = windows.windowSystem().focusedWindow();
        return focused && focused->title == "Quorvane Settings";
    }));
    keyboard.chord({ keyControl, keyW });
    EXPECT_TRUE(eventually([&] { return !settingsShown(); }));

    TestWindow first({ "--app-id", "org.example.First", "--title", "First", "--size", "500x400" });
    TestWindow second({ "--app-id", "org.example.Other", "--title", "Other", "--size", "500x400" });
    ASSERT_EQ(runTool({ "tile", "org.example.First", "left-half" }).status, 0);
    ASSERT_EQ(runTool({ "tile", "org.example.Other", "right-half" }).status, 0);
    ASSERT_TRUE(landsOn(first.id, TileSlot::leftHalf));
    ASSERT_TRUE(landsOn(second.id, TileSlot::rightHalf));

    // "Save Layout…" asks for a name; typed and entered, it is saved.
    EXPECT_TRUE(host->click("Save Layout…"));
    ASSERT_TRUE(eventually([&] {
        std::optional<WindowFacts> focused = windows.windowSystem().focusedWindow();
        return focused && focused->title == "Save Layout";
    }));
    for (uint8_t key : { keyD, keyE, keyS, keyK })
        keyboard.chord({ key });
    keyboard.chord({ keyReturn });
    EXPECT_TRUE(eventually([&] { return runTool({ "layout", "list" }).output.find("desk") == 0; }));
    EXPECT_TRUE(eventually([&] { return labels("Layouts") == std::vector<std::string> { "desk", "-", "Save Layout…" }; }));
    EXPECT_TRUE(eventually([&] { return !labels().empty() && labels().front() == "Saved layout desk."; }));
    EXPECT_TRUE(line("Cycle Layouts (ctrl+opt+l)"));

    // The layout's line puts the windows back.
    ASSERT_EQ(runTool({ "tile", "org.example.First", "bottom-right" }).status, 0);
    ASSERT_EQ(runTool({ "tile", "org.example.Other", "top-left" }).status, 0);
    ASSERT_TRUE(landsOn(second.id, TileSlot::topLeft));
    EXPECT_TRUE(host->click("desk"));
    EXPECT_TRUE(landsOn(first.id, TileSlot::leftHalf));
    EXPECT_TRUE(landsOn(second.id, TileSlot::rightHalf));
}

TEST_F(X11TrayTest, QuitFromTheMenuEndsTheProcessCleanly)
{
    host.emplace();
    startApp();
    ASSERT_TRUE(registered());
    std::string socket = ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit);
    ASSERT_TRUE(std::filesystem::exists(socket));
    EXPECT_TRUE(host->click("Quit Quorvane"));
    EXPECT_EQ(app->finish(10), 0);
    app.reset();
    EXPECT_FALSE(std::filesystem::exists(socket));
}

TEST_F(X11TrayTest, AHostThatComesBackUnderANewOwnerGetsANewRegistration)
{
    host.emplace();
    startApp();
    ASSERT_TRUE(registered());
    std::string sender = host->registrations().front().sender;
    std::string oldOwner = host->uniqueName();
    host.reset();
    host.emplace();
    EXPECT_NE(host->uniqueName(), oldOwner);
    ASSERT_TRUE(registered());
    EXPECT_EQ(host->registrations().front().sender, sender);
    EXPECT_TRUE(eventually([&] { return host->property("Title") == "Quorvane"; }));
    EXPECT_EQ(labels().back(), "Quit Quorvane");
}

TEST_F(X11TrayTest, WithoutAHostTheApplicationRunsAndDoctorWarns)
{
    startApp();
    ToolRun doctor = runTool({ "doctor" });
    EXPECT_NE(doctor.output.find("[warn] tray: No tray is running, so Quorvane's menu is hidden (on GNOME, the "
                                 "AppIndicator extension shows it). The hotkeys and the quorvane command still work."),
        std::string::npos)
        << doctor.output;
    ASSERT_EQ(runTool({ "tile", "org.example.Nothing", "fill" }).status, 5);
    EXPECT_EQ(runTool({ "ping" }).status, 0);
}

} // namespace
} // namespace quorvane
