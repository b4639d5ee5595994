// The KWin figures, on a desktop of scripts/kwin-desktop.sh where quorvane-app runs with animate_tiles = false and
// the rule org.example.BenchRuled → right-half (bench/kwin/kwin-figures.sh sets all of it up; QUORVANE_BUILD names
// the build). Frames are read back the way
// the application reads them: from the reports of a KWin script, here a second one of this process's own.
//   tileToFrame/xwayland, tileToFrame/wayland  from a `tile` request sent on the application's socket to the
//                                              window's new frame in a report
//   backendMove                                the backend's own move, from setFrame to the new frame in a report
//   chordToFrame                               from the fill chord (ctrl+opt+f, fired through KWin's shortcut
//                                              service) to the active window's filled frame in a report
//   tileModeToKey                              from the tile mode chord (ctrl+opt+space) to the first bare key (f,
//                                              fired again and again meanwhile) that fills the active window
//   ruleToPlacement                            from a new window's first report to its frame on its rule's tile
//   censusRead                                 the census's read of the windows and displays, fifty windows open
//   reportIntake                               taking in one report of a changed window, fifty windows known
#include "helpers/Percentile.h"
#include "helpers/XcbAtom.h"

#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/KWin/KWinDesktop.h"
#include "Platforms/KWin/KWinKeyboardTap.h"
#include "Platforms/KWin/KWinReport.h"
#include "Platforms/KWin/KWinShortcuts.h"
#include "Platforms/KWin/KWinSnapshot.h"
#include "QuorvaneApp/Platform/WindowSystem.h"

#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"

#include <benchmark/benchmark.h>
#include <gio/gio.h>
#include <glib.h>
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace quorvane;
using Clock = std::chrono::steady_clock;

constexpr int repetitions = 40;
const Frame leftHalf { 0, 0, 960, 1080 };
const Frame topRight { 960, 0, 960, 540 };
const Frame rightHalf { 960, 0, 960, 1080 };

// This process's own reader of KWin's windows, and the windows it opens on the desktop.
class Desk {
public:
    Desk()
        : m_desktop(m_loop, std::string(std::getenv("XDG_CACHE_HOME")), "quorvane-bench")
        , m_x(xcb_connect(nullptr, nullptr))
    {
        // The Wayland window is a program of the build, beside this one.
        std::string program
            = std::string(std::getenv("QUORVANE_BUILD")) + "/Tests/GTKTestWindow/quorvane-gtk-test-window";
        const char* argv[] = { program.c_str(), "--app-id", "org.example.BenchWayland", "--title", "Bench Wayland",
            "--detached", nullptr };
        g_auto(GStrv) environment = g_environ_setenv(g_get_environ(), "GDK_BACKEND", "wayland", true);
        environment = g_environ_setenv(environment, "NO_AT_BRIDGE", "1", true);
        g_spawn_async(nullptr, const_cast<char**>(argv), environment, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr, nullptr,
            &m_wayland, nullptr);
        m_xwayland = openX11Window("org.example.BenchXwayland");
    }
    ~Desk()
    {
        if (m_wayland > 0)
            ::kill(m_wayland, SIGTERM);
        xcb_disconnect(m_x);
    }

    // Takes in the reports that have arrived.
    void turn()
    {
        while (g_main_context_iteration(nullptr, FALSE)) { }
    }
    WindowSystem& windows() { return m_desktop.windowSystem(); }
    // The first window of the application, waiting up to two seconds for it.
    std::optional<WindowFacts> windowOf(const std::string& application)
    {
        auto deadline = Clock::now() + std::chrono::seconds(2);
        while (Clock::now() < deadline) {
            turn();
            for (const WindowFacts& window : windows().windows()) {
                if (window.bundleIdentifier == application)
                    return window;
            }
            g_main_context_iteration(nullptr, TRUE);
        }
        return std::nullopt;
    }
    // Seconds from `start` until the application's window is at `frame`; none after two seconds.
    std::optional<double> until(const std::string& application, const Frame& frame, Clock::time_point start)
    {
        auto deadline = start + std::chrono::seconds(2);
        while (Clock::now() < deadline) {
            turn();
            for (const WindowFacts& window : windows().windows()) {
                if (window.bundleIdentifier == application && window.frame == frame)
                    return std::chrono::duration<double>(Clock::now() - start).count();
            }
            // Wakes at the next report.
            g_main_context_iteration(nullptr, TRUE);
        }
        return std::nullopt;
    }

    // An X11 window of the application `application`, mapped under Xwayland.
    uint32_t openX11Window(const std::string& application)
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data;
        xcb_window_t window = xcb_generate_id(m_x);
        xcb_create_window(m_x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 400, 300, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_atom_t netName = bench::internAtom(m_x, "_NET_WM_NAME"), utf8 = bench::internAtom(m_x, "UTF8_STRING");
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, window, bench::internAtom(m_x, "_GTK_APPLICATION_ID"), utf8, 8,
            static_cast<uint32_t>(application.size()), application.data());
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, window, netName, utf8, 8, 5, "Bench");
        xcb_map_window(m_x, window);
        xcb_flush(m_x);
        return window;
    }
    void closeX11Window(uint32_t window)
    {
        xcb_destroy_window(m_x, window);
        xcb_flush(m_x);
    }

private:
    GLibMainLoop m_loop;
    KWinDesktop m_desktop;
    xcb_connection_t* m_x;
    GPid m_wayland = 0;
    uint32_t m_xwayland = 0;
};

Desk& desk()
{
    static Desk made;
    return made;
}

bool tile(const std::string& application, const char* slot)
{
    static int requests = 0;
    RPCResponse response = IPCClient::request(ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit),
        RPCRequest { std::to_string(++requests), { "tile", application, slot } }, 5);
    return response.exitCode == 0;
}

void tileToFrame(benchmark::State& state, const std::string& application)
{
    if (!desk().windowOf(application)) {
        state.SkipWithError("the window is not there");
        return;
    }
    static bool half = false;
    for (auto _ : state) {
        half = !half;
        Clock::time_point sent = Clock::now();
        std::optional<double> seconds;
        if (tile(application, half ? "left-half" : "top-right"))
            seconds = desk().until(application, half ? leftHalf : topRight, sent);
        if (!seconds) {
            state.SkipWithError("the tile failed or the window did not move");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

void backendMove(benchmark::State& state)
{
    std::optional<WindowFacts> window = desk().windowOf("org.example.BenchXwayland");
    if (!window) {
        state.SkipWithError("the window is not there");
        return;
    }
    static bool half = false;
    for (auto _ : state) {
        half = !half;
        Clock::time_point sent = Clock::now();
        desk().windows().setFrame(window->handle, half ? leftHalf : topRight, AxisWrite::positionThenSize);
        std::optional<double> seconds = desk().until("org.example.BenchXwayland", half ? leftHalf : topRight, sent);
        if (!seconds) {
            state.SkipWithError("the window did not move");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

GDBusConnection* sessionBus()
{
    static GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    return bus;
}

// Fires the KWin shortcut called `name` the way a key press reaches KWin's shortcut service.
bool invokeShortcutNamed(const std::string& name)
{
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(sessionBus(), "org.kde.kglobalaccel", "/component/kwin",
        "org.kde.kglobalaccel.Component", "invokeShortcut", g_variant_new("(s)", name.c_str()), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    return reply != nullptr;
}

bool invokeShortcut(const std::string& sequence)
{
    return invokeShortcutNamed(KWinShortcuts::shortcutName(sequence));
}

bool scriptLoaded(const char* name)
{
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(sessionBus(), "org.kde.KWin", "/Scripting",
        "org.kde.kwin.Scripting", "isScriptLoaded", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    gboolean loaded = FALSE;
    if (reply)
        g_variant_get(reply, "(b)", &loaded);
    return loaded;
}

void tileModeToKey(benchmark::State& state)
{
    const Frame filled { 0, 0, 1920, 1080 };
    std::optional<WindowFacts> window = desk().windowOf("org.example.BenchXwayland");
    if (!window) {
        state.SkipWithError("the window is not there");
        return;
    }
    desk().windows().raise(window->handle);
    const std::string fill = KWinKeyboardTap::shortcutName("F");
    for (auto _ : state) {
        desk().windows().setFrame(window->handle, leftHalf, AxisWrite::positionThenSize);
        bool away = desk().until("org.example.BenchXwayland", leftHalf, Clock::now()).has_value();
        Clock::time_point sent = Clock::now();
        std::optional<double> seconds;
        if (away && invokeShortcut("Ctrl+Alt+Space")) {
            while (!seconds && Clock::now() - sent < std::chrono::seconds(2)) {
                invokeShortcutNamed(fill);
                desk().turn();
                for (const WindowFacts& facts : desk().windows().windows())
                    if (facts.handle == window->handle && facts.frame == filled)
                        seconds = std::chrono::duration<double>(Clock::now() - sent).count();
            }
        }
        invokeShortcutNamed(KWinKeyboardTap::shortcutName("Esc"));
        auto deadline = Clock::now() + std::chrono::seconds(2);
        while (scriptLoaded("quorvane-keys") && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!seconds) {
            state.SkipWithError("no bare key filled the window");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

// From the leader's press to its second key acting: the press loads the second keys' script, and E (bound to
// the Wayland window's application) is pressed until it brings that window forward.
void leaderToKey(benchmark::State& state)
{
    std::optional<WindowFacts> front = desk().windowOf("org.example.BenchXwayland");
    std::optional<WindowFacts> led = desk().windowOf("org.example.BenchWayland");
    if (!front || !led) {
        state.SkipWithError("the windows are not there");
        return;
    }
    const std::string leader = KWinKeyboardTap::leaderShortcutName("CapsLock");
    const std::string second = KWinKeyboardTap::shortcutName("E");
    auto focused = [](const WindowFacts& window) {
        desk().turn();
        std::optional<WindowFacts> now = desk().windows().focusedWindow();
        return now && now->handle == window.handle;
    };
    for (auto _ : state) {
        desk().windows().raise(front->handle);
        auto deadline = Clock::now() + std::chrono::seconds(2);
        while (!focused(*front) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        Clock::time_point sent = Clock::now();
        std::optional<double> seconds;
        if (focused(*front) && invokeShortcutNamed(leader)) {
            // Within the leader's wait of 0.8 seconds.
            while (!seconds && Clock::now() - sent < std::chrono::milliseconds(800)) {
                invokeShortcutNamed(second);
                if (focused(*led))
                    seconds = std::chrono::duration<double>(Clock::now() - sent).count();
            }
        }
        deadline = Clock::now() + std::chrono::seconds(2);
        while (scriptLoaded("quorvane-keys") && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!seconds) {
            state.SkipWithError("the leader's second key did not act within the leader's wait");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

void chordToFrame(benchmark::State& state)
{
    const Frame filled { 0, 0, 1920, 1080 };
    std::optional<WindowFacts> window = desk().windowOf("org.example.BenchXwayland");
    if (!window) {
        state.SkipWithError("the window is not there");
        return;
    }
    desk().windows().raise(window->handle);
    for (auto _ : state) {
        desk().windows().setFrame(window->handle, leftHalf, AxisWrite::positionThenSize);
        bool away = desk().until("org.example.BenchXwayland", leftHalf, Clock::now()).has_value();
        Clock::time_point sent = Clock::now();
        std::optional<double> seconds;
        if (away && invokeShortcut("Ctrl+Alt+F"))
            seconds = desk().until("org.example.BenchXwayland", filled, sent);
        if (!seconds) {
            state.SkipWithError("the chord did not fill the window");
            break;
        }
        state.SetIterationTime(*seconds);
    }
}

void ruleToPlacement(benchmark::State& state)
{
    for (auto _ : state) {
        uint32_t window = desk().openX11Window("org.example.BenchRuled");
        std::optional<WindowFacts> reported = desk().windowOf("org.example.BenchRuled");
        Clock::time_point first = Clock::now();
        std::optional<double> seconds
            = reported ? desk().until("org.example.BenchRuled", rightHalf, first) : std::nullopt;
        desk().closeX11Window(window);
        if (!seconds) {
            state.SkipWithError("the new window was not placed");
            break;
        }
        state.SetIterationTime(*seconds);
        // The next window comes once this one has gone.
        while (desk().windowOf("org.example.BenchRuled"))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void censusRead(benchmark::State& state)
{
    desk().turn();
    state.counters["windows"] = static_cast<double>(desk().windows().windows().size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(desk().windows().windows());
        benchmark::DoNotOptimize(desk().windows().displays());
    }
}

void reportIntake(benchmark::State& state)
{
    KWinSnapshot snapshot(1);
    KWinReport all { true, {}, {}, "", {} };
    for (int i = 0; i < 50; ++i)
        all.windows.push_back({ "{" + std::to_string(i) + "}", 100 + i, "org.example.App" + std::to_string(i), "", "",
            "Window " + std::to_string(i), { 0, 0, 400, 300 }, WindowKind::standard, false, false, true, i });
    auto application = [](const KWinWindowReport& window) { return window.desktopFile; };
    snapshot.apply(all, application);
    std::string text
        = R"({"windows":[{"id":"{7}","pid":107,"desktopFile":"org.example.App7","resourceClass":"",)"
          R"("resourceName":"","caption":"Window 7","frame":{"x":8,"y":8,"width":948,"height":1064},)"
          R"("type":"normal","minimized":false,"fullScreen":false,"shown":true,"stacking":7}],"removed":[]})";
    for (auto _ : state) {
        std::optional<KWinReport> report = KWinReport::decode(text);
        benchmark::DoNotOptimize(snapshot.apply(*report, application));
    }
}

} // namespace

BENCHMARK_CAPTURE(tileToFrame, xwayland, std::string("org.example.BenchXwayland"))
    ->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK_CAPTURE(tileToFrame, wayland, std::string("org.example.BenchWayland"))
    ->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(backendMove)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(chordToFrame)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(tileModeToKey)->Apply(quorvane::bench::singleEvents<20>);
BENCHMARK(leaderToKey)->Apply(quorvane::bench::singleEvents<20>);
BENCHMARK(ruleToPlacement)->Apply(quorvane::bench::singleEvents<20>);
BENCHMARK(censusRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(reportIntake)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
