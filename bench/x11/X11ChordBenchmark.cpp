// From a chord typed with XTest to the application's first frame write of its tile action (the
// _NET_MOVERESIZE_WINDOW request it sends to the window manager). Run on an X display where quorvane-app
// runs with its default chords (bench/x11-figures.sh does both).
#include "helpers/Percentile.h"
#include "helpers/XcbAtom.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// X key codes of the virtual desktop's keyboard (evdev, us).
constexpr uint8_t keyControl = 37, keyAlt = 64, keyF = 41;

class Desktop {
public:
    Desktop()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        m_moveResize = atom("_NET_MOVERESIZE_WINDOW");
        m_activeWindow = atom("_NET_ACTIVE_WINDOW");
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 300, 200, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const char title[] = "Chord benchmark";
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
            sizeof title - 1, title);
        xcb_map_window(m_connection, m_window);
        uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        message(m_activeWindow, { 2, XCB_CURRENT_TIME, 0 });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ~Desktop() { xcb_disconnect(m_connection); }

    // Puts the window in a small frame again, so that the next fill has something to write.
    void shrink()
    {
        message(m_moveResize, { (2u << 12) | (0xFu << 8) | 1u, 100, 100, 300, 200 });
        waitForMoveResize();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // Seconds from typing ctrl+opt+f to the application's first move-resize request.
    double fill()
    {
        auto sent = Clock::now();
        for (uint8_t key : { keyControl, keyAlt, keyF })
            xcb_test_fake_input(m_connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        for (uint8_t key : { keyF, keyAlt, keyControl })
            xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
        waitForMoveResize();
        double seconds = std::chrono::duration<double>(Clock::now() - sent).count();
        // Let the animation finish before the next round.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return seconds;
    }

private:
    xcb_atom_t atom(const char* name) { return quorvane::bench::internAtom(m_connection, name); }
    void message(xcb_atom_t type, std::initializer_list<uint32_t> data)
    {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = m_window;
        event.type = type;
        size_t i = 0;
        for (uint32_t value : data)
            event.data.data32[i++] = value;
        xcb_send_event(m_connection, 0, m_root,
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }
    void waitForMoveResize()
    {
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
            bool found = (event->response_type & 0x7F) == XCB_CLIENT_MESSAGE
                && reinterpret_cast<xcb_client_message_event_t*>(event)->type == m_moveResize;
            std::free(event);
            if (found)
                return;
        }
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
    xcb_atom_t m_moveResize = XCB_ATOM_NONE;
    xcb_atom_t m_activeWindow = XCB_ATOM_NONE;
};

void chordToFirstFrameWrite(benchmark::State& state)
{
    static Desktop desktop;
    for (auto _ : state) {
        desktop.shrink();
        state.SetIterationTime(desktop.fill());
    }
}

// One chord per repetition.
BENCHMARK(chordToFirstFrameWrite)->Apply(quorvane::bench::singleEvents<60>);

} // namespace
