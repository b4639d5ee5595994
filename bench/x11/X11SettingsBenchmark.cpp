// The settings window of a running quorvane-app: from choosing "Settings…" in the tray menu (the host's read
// of the menu before its click included) to the window's first frame on the screen, that is its client
// area drawn, as another client sees it; then ctrl+w closes it. With QUORVANE_APP_PID set, the application's
// resident memory idle and after thirty openings and closings. Run on an X display where quorvane-app runs
// and no StatusNotifier host does: this program is the host (bench/x11-figures.sh does both).
#include "X11/TestTrayHost.h"

#include "helpers/Percentile.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// X key codes of the virtual desktop's keyboard (evdev, us).
constexpr uint8_t keyControl = 37, keyW = 25;
const std::string settingsTitle = "Quorvane Settings";

class Desktop {
public:
    Desktop()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_clientList = atom("_NET_CLIENT_LIST");
        for (int tries = 0; tries < 500 && m_host.registrations().empty(); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (m_host.registrations().empty())
            throw std::runtime_error("no tray item registered with this host");
    }
    ~Desktop() { xcb_disconnect(m_connection); }

    // Seconds from the menu's "Settings…" to the window's first drawn frame; then closes the window.
    double openAndClose()
    {
        auto chosen = Clock::now();
        if (!m_host.click("Settings…"))
            throw std::runtime_error("the menu has no Settings… line");
        xcb_window_t window = 0;
        while (!(window = settingsWindow()) || !drawn(window))
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        double seconds = std::chrono::duration<double>(Clock::now() - chosen).count();
        type({ keyControl, keyW });
        while (settingsWindow())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // Rest as a person would between two uses.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return seconds;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return found;
    }

    // The settings window among the window manager's clients, or 0.
    xcb_window_t settingsWindow()
    {
        auto* list = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, m_root, m_clientList, XCB_ATOM_WINDOW, 0, 1024), nullptr);
        xcb_window_t found = 0;
        if (list) {
            auto* windows = static_cast<xcb_window_t*>(xcb_get_property_value(list));
            int count = xcb_get_property_value_length(list) / 4;
            for (int index = 0; index < count && !found; ++index) {
                auto* title = xcb_get_property_reply(m_connection,
                    xcb_get_property(
                        m_connection, 0, windows[index], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                    nullptr);
                if (title
                    && std::string(
                           static_cast<char*>(xcb_get_property_value(title)), xcb_get_property_value_length(title))
                        == settingsTitle)
                    found = windows[index];
                std::free(title);
            }
        }
        std::free(list);
        return found;
    }

    // Whether the window is viewable and its client area drawn: without a compositor an undrawn window shows
    // the black root beneath it, and the theme's background is never black.
    bool drawn(xcb_window_t window)
    {
        auto* attributes
            = xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (!viewable)
            return false;
        auto* image = xcb_get_image_reply(
            m_connection, xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 40, 300, 1, 1, ~0u), nullptr);
        bool painted = false;
        if (image && xcb_get_image_data_length(image) >= 3) {
            const uint8_t* pixel = xcb_get_image_data(image);
            painted = pixel[0] || pixel[1] || pixel[2];
        }
        std::free(image);
        return painted;
    }

    void type(std::initializer_list<uint8_t> keys)
    {
        for (uint8_t key : keys)
            xcb_test_fake_input(m_connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
            xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, *key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
    }

    quorvane::test::TestTrayHost m_host;
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_atom_t m_clientList = XCB_ATOM_NONE;
};

Desktop& desktop()
{
    static Desktop shared;
    return shared;
}

void settingsToFirstFrame(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(desktop().openAndClose());
}

// One opening per repetition.
BENCHMARK(settingsToFirstFrame)->Apply(quorvane::bench::singleEvents<30>);

// Resident memory of the process in megabytes, or none.
std::optional<double> residentMegabytes(const std::string& pid)
{
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            return std::strtod(line.c_str() + 6, nullptr) / 1024;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    const char* pid = std::getenv("QUORVANE_APP_PID");
    std::optional<double> idle = pid ? residentMegabytes(pid) : std::nullopt;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (idle) {
        // Whatever the closed window left to be freed later has been.
        std::this_thread::sleep_for(std::chrono::seconds(3));
        std::optional<double> after = residentMegabytes(pid);
        if (after)
            std::printf("quorvane-app resident memory: %.1f MB idle, %.1f MB after thirty settings windows opened and "
                        "closed (%+.1f MB)\n",
                *idle, *after, *after - *idle);
    }
    return 0;
}
