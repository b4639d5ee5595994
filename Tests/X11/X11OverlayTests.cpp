// The overlay as people see it: the real `quorvane-app` on the virtual desktop (two monitors, Openbox, no
// compositor) draws the cheat sheet, the rings, the notice and the agent toast, keys typed with XTest.
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Views/TileOverlay.h"
#include "X11/TestKeyboard.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>

namespace quorvane {
namespace {

using namespace test;

constexpr uint8_t keyA = 38, keyRightBracket = 35;

struct Colour {
    uint8_t red, green, blue;
};
// The palette's line colour and green as the rings draw them.
constexpr Colour ringLine { 35, 42, 51 };
constexpr Colour ringGreen { 126, 231, 135 };

// A window of the application as another client sees it.
struct OverlayWindow {
    xcb_window_t id = 0;
    std::string name;
    bool viewable = false;
    Frame frame;
};

// The whole screen's pixels, read once.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;

    bool at(int x, int y, Colour colour) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return false;
        const uint8_t* pixel = &pixels[(static_cast<size_t>(y) * width + x) * 4];
        return pixel[2] == colour.red && pixel[1] == colour.green && pixel[0] == colour.blue;
    }
    // The pixels of `colour` within `reach` of the edges of `frame`.
    int around(const Frame& frame, int reach, Colour colour) const
    {
        int found = 0;
        int left = static_cast<int>(frame.x), top = static_cast<int>(frame.y);
        int right = static_cast<int>(frame.maxX()), bottom = static_cast<int>(frame.maxY());
        for (int y = top - reach; y < bottom + reach; ++y) {
            for (int x = left - reach; x < right + reach; ++x) {
                bool nearEdge = x < left + reach || x >= right - reach || y < top + reach || y >= bottom - reach;
                found += nearEdge && at(x, y, colour);
            }
        }
        return found;
    }
};

class X11OverlayTest : public testing::Test {
protected:
    X11OverlayTest()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }

    ~X11OverlayTest() override
    {
        if (app) {
            app->signal(SIGTERM);
            EXPECT_EQ(app->finish(), 0);
        }
        xcb_disconnect(m_connection);
    }

    void startApp(const std::vector<std::string>& lines = {}, const std::vector<std::string>& environment = {})
    {
        std::vector<std::string> all { "animate_tiles = false", "onboarding_complete = true" };
        all.insert(all.end(), lines.begin(), lines.end());
        writeConfig(configWith(all));
        app = test::startApp(environment);
    }

    std::optional<DisplayFacts> mainDisplay()
    {
        for (const DisplayFacts& display : windows.windowSystem().displays())
            if (display.isMain)
                return display;
        return std::nullopt;
    }

    xcb_atom_t atom(const std::string& name)
    {
        auto* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
        xcb_atom_t result = reply ? reply->atom : 0;
        std::free(reply);
        return result;
    }

    // The top-level windows the application's process made.
    std::vector<OverlayWindow> appWindows()
    {
        std::vector<OverlayWindow> found;
        auto* tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
        if (!tree)
            return found;
        xcb_window_t* children = xcb_query_tree_children(tree);
        xcb_atom_t pidAtom = atom("_NET_WM_PID");
        for (int index = 0; index < xcb_query_tree_children_length(tree); ++index) {
            xcb_window_t window = children[index];
            auto* pid = xcb_get_property_reply(m_connection,
                xcb_get_property(m_connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
            bool ours = pid && xcb_get_property_value_length(pid) == 4
                && *static_cast<uint32_t*>(xcb_get_property_value(pid)) == static_cast<uint32_t>(app->pid());
            std::free(pid);
            if (!ours)
                continue;
            OverlayWindow overlay { window };
            auto* name = xcb_get_property_reply(m_connection,
                xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
            if (name)
                overlay.name.assign(static_cast<char*>(xcb_get_property_value(name)), xcb_get_property_value_length(name));
            std::free(name);
            auto* attributes = xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
            overlay.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(attributes);
            auto* geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
            if (geometry)
                overlay.frame = Frame { double(geometry->x), double(geometry->y), double(geometry->width),
                    double(geometry->height) };
            std::free(geometry);
            found.push_back(overlay);
        }
        std::free(tree);
        return found;
    }

    std::vector<OverlayWindow> shown(const std::string& name)
    {
        std::vector<OverlayWindow> found;
        for (const OverlayWindow& window : appWindows()) {
            if (window.viewable && window.name == name)
                found.push_back(window);
        }
        return found;
    }

    size_t existing(const std::string& name)
    {
        size_t count = 0;
        for (const OverlayWindow& window : appWindows())
            count += window.name == name;
        return count;
    }

    Screenshot screenshot()
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        Screenshot shot { screen->width_in_pixels, screen->height_in_pixels, {} };
        auto* image = xcb_get_image_reply(m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, 0, 0, screen->width_in_pixels,
                screen->height_in_pixels, ~0u),
            nullptr);
        if (image) {
            const uint8_t* data = xcb_get_image_data(image);
            shot.pixels.assign(data, data + xcb_get_image_data_length(image));
            std::free(image);
        }
        return shot;
    }

    void click(int x, int y)
    {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, static_cast<int16_t>(x),
            static_cast<int16_t>(y), 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
    }

    std::optional<uint32_t> active()
    {
        std::optional<WindowFacts> focused = windows.windowSystem().focusedWindow();
        return focused ? std::optional(focused->handle.value) : std::nullopt;
    }

    // A test window that reports its clicks, once the window manager has framed and focused it.
    std::unique_ptr<TestWindow> open(const std::string& title, const std::string& position, const std::string& size = "300x200")
    {
        auto window = std::make_unique<TestWindow>(
            std::vector<std::string> { "--title", title, "--position", position, "--size", size, "--clicks" });
        EXPECT_TRUE(eventually([&] {
            std::optional<Frame> frame = windows.windowSystem().readFrame(WindowHandle { window->id });
            return frame && frame->height > 100 && active() == window->id;
        }));
        return window;
    }

    Frame frameOf(const TestWindow& window)
    {
        return windows.windowSystem().readFrame(WindowHandle { window.id }).value_or(Frame {});
    }

    VirtualDesktop desktop;
    Keyboard keyboard;
    GLibMainLoop loop;
    X11Desktop windows { loop };
    std::unique_ptr<ChildProcess> app;

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

TEST_F(X11OverlayTest, TileModeDrawsTheCheatSheetAndRingsThatTheMousePassesThrough)
{
    startApp();
    // A desktop-like background for the picture below.
    ASSERT_EQ(runProgram({ "xsetroot", "-solid", "#3d4a5c" }).status, 0);
    std::unique_ptr<TestWindow> left = open("notes.txt", "40,80", "400x320");
    std::unique_ptr<TestWindow> right = open("Terminal", "500,80", "400x320");
    keyboard.chord({ keyControl, keyAlt, keySpace });
    ASSERT_TRUE(eventually([&] { return shown("Tile mode").size() == 1 && shown("Tile mode ring").size() == 2; }));

    std::optional<DisplayFacts> main = mainDisplay();
    ASSERT_TRUE(main);
    EXPECT_EQ(shown("Tile mode").front().frame, TileOverlay::cheatSheetFrame(main->visibleFrame, false));
    EXPECT_EQ(active(), right->id);

    // The focused window's ring is green, the other's is in the line colour, once both have drawn.
    Screenshot shot;
    EXPECT_TRUE(eventually([&] {
        shot = screenshot();
        return shot.around(frameOf(*right), 8, ringGreen) > 400 && shot.around(frameOf(*left), 8, ringLine) > 200;
    })) << "green " << shot.around(frameOf(*right), 8, ringGreen) << ", line " << shot.around(frameOf(*left), 8, ringLine);
    // For the README: tile mode on the virtual desktop.
    runProgram({ "import", "-window", "root", "-crop", "960x1080+0+0", std::string(QUORVANE_BINARY_DIR) + "/tile-mode.png" });

    // A click on the left ring, where it lies over the window, reaches the window.
    Frame leftFrame = frameOf(*left);
    std::optional<std::pair<int, int>> onRing;
    for (int y = static_cast<int>(leftFrame.y + 40); y < leftFrame.maxY() - 20 && !onRing; ++y) {
        for (int x = static_cast<int>(leftFrame.x); x < leftFrame.x + 8 && !onRing; ++x) {
            if (shot.at(x, y, ringLine))
                onRing = std::pair(x, y);
        }
    }
    ASSERT_TRUE(onRing);
    click(onRing->first, onRing->second);
    std::optional<std::string> clicked = left->process.readLine(5);
    EXPECT_EQ(clicked, "click 1 " + std::to_string(onRing->first) + " " + std::to_string(onRing->second));

    // Return leaves tile mode: the sheet goes and no ring window is left.
    keyboard.chord({ keyReturn });
    EXPECT_TRUE(eventually([&] { return shown("Tile mode").empty() && existing("Tile mode ring") == 0; }));
}

TEST_F(X11OverlayTest, AtAScaleOfTwoTheCheatSheetKeepsItsSizeInDevicePixels)
{
    startApp({}, { "GDK_SCALE=2" });
    std::unique_ptr<TestWindow> window = open("Only", "40,60");
    keyboard.chord({ keyControl, keyAlt, keySpace });
    ASSERT_TRUE(eventually([&] { return shown("Tile mode").size() == 1; }));
    std::optional<DisplayFacts> main = mainDisplay();
    ASSERT_TRUE(main);
    EXPECT_EQ(shown("Tile mode").front().frame, TileOverlay::cheatSheetFrame(main->visibleFrame, false));
}

TEST_F(X11OverlayTest, TheNoticeAndTheAgentToastGoAwayByThemselves)
{
    // One monitor: a display move has nowhere to go.
    ASSERT_EQ(runProgram({ "xrandr", "--delmonitor", "RIGHT" }).status, 0);
    startApp({ "agent_command = [\"/bin/true\"]", "terminal_bundle_id = \"debian-xterm\"" });
    std::unique_ptr<TestWindow> window = open("Only", "40,60");

    keyboard.chord({ keyControl, keyAlt, keyRightBracket });
    EXPECT_TRUE(eventually([&] { return shown("Notice").size() == 1; }));
    EXPECT_EQ(active(), window->id);
    EXPECT_TRUE(eventually([&] { return shown("Notice").empty(); }));

    keyboard.chord({ keyControl, keyAlt, keyA });
    EXPECT_TRUE(eventually([&] { return shown("Agent").size() == 1; }));
    EXPECT_TRUE(eventually([&] { return shown("Agent").empty(); }, 10));
}

} // namespace
} // namespace quorvane
