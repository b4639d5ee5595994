// From the tile-mode chord typed with XTest to the cheat sheet's MapNotify as another client sees it. Run on
// an X display where quorvane-app runs with its default chords (bench/x11-figures.sh does both).
#include "helpers/Percentile.h"
#include "helpers/XcbAtom.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// X key codes of the virtual desktop's keyboard (evdev, us).
constexpr uint8_t keyControl = 37, keyAlt = 64, keySpace = 65, keyReturn = 36;

class Desktop {
public:
    Desktop()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~Desktop() { xcb_disconnect(m_connection); }

    // Seconds from typing ctrl+opt+space to the cheat sheet's MapNotify; then leaves tile mode with Return.
    double showCheatSheet()
    {
        drain();
        auto sent = Clock::now();
        type({ keyControl, keyAlt, keySpace });
        wait(XCB_MAP_NOTIFY);
        double seconds = std::chrono::duration<double>(Clock::now() - sent).count();
        // A Return typed while tile mode is still taking its bare keys may reach the focused window instead.
        do
            type({ keyReturn });
        while (!wait(XCB_UNMAP_NOTIFY, 300));
        // Rest as a person would between two uses.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return seconds;
    }

private:
    void type(std::initializer_list<uint8_t> keys)
    {
        for (uint8_t key : keys)
            xcb_test_fake_input(m_connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
            xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, *key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
    }

    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    bool isCheatSheet(xcb_window_t window)
    {
        if (m_cheatSheet)
            return window == m_cheatSheet;
        auto* reply = xcb_get_property_reply(m_connection,
            xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
        bool found = reply
            && std::string(static_cast<char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply))
                == "Tile mode";
        std::free(reply);
        if (found)
            m_cheatSheet = window;
        return found;
    }

    // Waits for a map or unmap of the cheat sheet, for `milliseconds` when given; answers whether it came.
    bool wait(uint8_t type, int milliseconds = -1)
    {
        auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (true) {
            xcb_generic_event_t* event = xcb_poll_for_event(m_connection);
            if (!event) {
                if (xcb_connection_has_error(m_connection))
                    return false;
                int left = milliseconds < 0 ? -1
                                            : static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  deadline - Clock::now()).count());
                if (milliseconds >= 0 && left <= 0)
                    return false;
                pollfd watched { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
                ::poll(&watched, 1, left);
                continue;
            }
            uint8_t kind = event->response_type & 0x7F;
            xcb_window_t window = kind == XCB_MAP_NOTIFY ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window
                : kind == XCB_UNMAP_NOTIFY               ? reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window
                                                         : 0;
            std::free(event);
            if (kind == type && window && isCheatSheet(window))
                return true;
        }
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_window_t m_cheatSheet = 0;
};

void chordToCheatSheetMap(benchmark::State& state)
{
    static Desktop desktop;
    for (auto _ : state)
        state.SetIterationTime(desktop.showCheatSheet());
}

// One chord per repetition.
BENCHMARK(chordToCheatSheetMap)->Apply(quorvane::bench::singleEvents<60>);

} // namespace
