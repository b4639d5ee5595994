// Window chrome on the virtual desktop: a web app's window opened with each `window_style`, its frame as the
// window manager sees it, its header bar's close button driven through the accessibility bus, and a tile
// of the running application landing on it exactly.
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "TestSupport/LocalHTTPServer.h"
#include "Tiling/TileGeometry.h"
#include "WebApps/DesktopIdentifier.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebBundleWriter.h"
#include "X11/TestAccessibility.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>

namespace quorvane {
namespace {

using namespace test;

// The 32-bit values of a window's property, empty when it has none.
std::vector<uint32_t> cardinals(xcb_connection_t* xcb, uint32_t window, const std::string& name)
{
    xcb_intern_atom_reply_t* atom
        = xcb_intern_atom_reply(xcb, xcb_intern_atom(xcb, 0, uint16_t(name.size()), name.c_str()), nullptr);
    if (!atom)
        return {};
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        xcb, xcb_get_property(xcb, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 16), nullptr);
    std::free(atom);
    std::vector<uint32_t> values;
    if (reply && reply->format == 32) {
        auto* data = static_cast<uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

class X11WindowChromeTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_desktop = new VirtualDesktop;
        s_bus = new AccessibilityBus;
        s_server = new LocalHTTPServer({ { "/start",
            Reply { 200,
                "<!DOCTYPE html><html><head><title>Chrome</title></head><body style=\"font-family:sans-serif\">"
                "<h1>Notes</h1><p>A web app with the slim header bar.</p><script>addEventListener('load', () => "
                "requestAnimationFrame(() => requestAnimationFrame(() => fetch('/ready'))));</script></body></html>",
                "Content-Type: text/html; charset=utf-8\r\n" } },
            { "/ready", Reply { 200, "", "" } } });
    }

    static void TearDownTestSuite()
    {
        delete s_server;
        delete s_bus;
        delete s_desktop;
    }

    X11WindowChromeTest() { m_xcb = xcb_connect(nullptr, nullptr); }

    ~X11WindowChromeTest() override
    {
        if (app) {
            app->signal(SIGTERM);
            EXPECT_EQ(app->finish(), 0);
        }
        xcb_disconnect(m_xcb);
    }

    // Installs the web app `name` with the freshly built host; gives its bundle identifier.
    std::string install(const std::string& name)
    {
        std::string slug = slugify(name);
        std::string identifier = bundleIdentifier(slug);
        WebAppBundlePlan plan(name, slug, s_server->url("/start"), identifier,
            StableIdentity::dataStoreIdentifier(identifier), ProcessPlaces::paths().appsDirectory());
        WebBundleWriter([](const std::vector<std::string>&) {}).install(plan, builtProgram("cli/QuorvaneWebHost"), "");
        bundles[identifier] = plan.bundlePath;
        return identifier;
    }

    std::optional<WindowFacts> hostWindow(int32_t pid)
    {
        std::optional<WindowFacts> found;
        eventually([&] {
            for (const WindowFacts& facts : windows.windowSystem().windows()) {
                if (facts.pid == pid && facts.title == "Chrome" && facts.frame)
                    found = facts;
            }
            return found.has_value();
        }, 30);
        return found;
    }

    Frame mainArea()
    {
        for (const DisplayFacts& display : windows.windowSystem().displays())
            if (display.isMain)
                return display.visibleFrame;
        return {};
    }

    bool landsOn(WindowHandle handle, const Frame& target)
    {
        return eventually([&] {
            std::optional<Frame> frame = windows.windowSystem().readFrame(handle);
            return frame && std::abs(frame->x - target.x) < 1 && std::abs(frame->y - target.y) < 1
                && std::abs(frame->width - target.width) < 1 && std::abs(frame->height - target.height) < 1;
        });
    }

    static inline VirtualDesktop* s_desktop = nullptr;
    static inline AccessibilityBus* s_bus = nullptr;
    static inline LocalHTTPServer* s_server = nullptr;
    GLibMainLoop loop;
    X11Desktop windows { loop };
    std::unique_ptr<ChildProcess> app;
    std::map<std::string, std::string> bundles;
    xcb_connection_t* m_xcb;
};

TEST_F(X11WindowChromeTest, SlimWebAppsDrawTheirOwnBarAndStandardOnesTakeTheWindowManagersFrame)
{
    struct Case {
        const char* style;
        const char* name;
        bool slim;
    };
    const Case cases[] = {
        // Slim first: libatspi leaks a string when it looks for an application after another has left.
        { "slim", "Chrome Slim", true },
        { "standard", "Chrome Standard", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        std::string text = configWith({ "animate_tiles = false", "onboarding_complete = true", "tile_gap = 0" });
        text.insert(text.find("[general]\n") + 10, "window_style = \"" + std::string(c.style) + "\"\n");
        writeConfig(text);
        if (!app)
            app = startApp();
        std::string identifier = install(c.name);
        // The engine's own allocations outlive the host by design, as in the web host's own tests.
        ChildProcess host({ webHostExecutable(bundles[identifier]) }, { "ASAN_OPTIONS=detect_leaks=0" });
        std::optional<WindowFacts> window = hostWindow(host.pid());
        ASSERT_TRUE(window);

        std::vector<uint32_t> extents = cardinals(m_xcb, uint32_t(window->handle.value), "_NET_FRAME_EXTENTS");
        std::vector<uint32_t> motif = cardinals(m_xcb, uint32_t(window->handle.value), "_MOTIF_WM_HINTS");
        // Motif hints: flags, functions, decorations; decorations count when flag 2 is set.
        bool undecorated = motif.size() >= 3 && (motif[0] & 2) && motif[2] == 0;
        bool noFrame = extents.size() == 4 && extents == std::vector<uint32_t>(4, 0);
        EXPECT_EQ(undecorated || noFrame, c.slim);
        if (!c.slim) {
            ASSERT_EQ(extents.size(), 4u);
            EXPECT_GT(extents[2], 0u);
        }

        // Once the page is painted.
        if (c.slim && s_server->waitForRequest("/ready", std::chrono::seconds(30)))
            runProgram({ "import", "-window", std::to_string(window->handle.value), builtProgram("webapp-slim.png") });

        // Tiled exactly, whoever draws the frame.
        Frame target = frameForTile(TileSlot::leftHalf, mainArea(), 0);
        ASSERT_EQ(runTool({ "tile", window->bundleIdentifier, "left-half" }).status, 0) << window->bundleIdentifier;
        EXPECT_TRUE(landsOn(window->handle, target));

        if (!c.slim) {
            host.signal(SIGTERM);
            host.finish(10);
            continue;
        }
        // The bar's close button closes the window, and with it the web app.
        Accessible hostApp = s_bus->application(desktopIdentifier(identifier));
        ASSERT_TRUE(hostApp);
        Accessible close = waitFor([&] { return hostApp.find("push button", "Close"); }, 10);
        ASSERT_TRUE(close);
        ASSERT_TRUE(close.act());
        EXPECT_EQ(host.finish(10), 0);
    }
}

} // namespace
} // namespace quorvane
