// How long a key takes from XTest to the focused window, with and without the keyboard tap: run on an X
// display (scripts/virtual-desktop.sh start, then source the file it prints).
//   passThrough/none      no tap: the server's own delivery
//   passThrough/tileMode  the tap in tile mode, an unbound key (not grabbed)
//   passThrough/replayed  a grabbed key the tap lets pass: frozen, decided on the tap's thread, replayed
#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/MacKeyCodes.h"
#include "Platforms/X11/X11KeyboardTap.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

namespace {

using namespace quorvane;
using Clock = std::chrono::steady_clock;

// X key code of q on the virtual desktop's keyboard (evdev, us).
constexpr uint8_t keyQ = 24;

uint32_t code(const char* key)
{
    return *MacKeyCodes::code(HotkeyKey::character(key));
}

// A focused window that takes key events, and a second connection that types into it.
class Target {
public:
    Target()
        : m_window(xcb_connect(nullptr, nullptr))
        , m_keyboard(xcb_connect(nullptr, nullptr))
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_window)).data;
        m_id = xcb_generate_id(m_window);
        uint32_t mask = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_create_window(m_window, XCB_COPY_FROM_PARENT, m_id, screen->root, 0, 0, 300, 200, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
        xcb_map_window(m_window, m_id);
        xcb_flush(m_window);
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_window)) {
            bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
            std::free(event);
            if (mapped)
                break;
        }
        xcb_set_input_focus(m_window, XCB_INPUT_FOCUS_POINTER_ROOT, m_id, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(m_window, xcb_get_input_focus(m_window), nullptr));
    }
    ~Target()
    {
        xcb_disconnect(m_keyboard);
        xcb_disconnect(m_window);
    }

    // Seconds from sending the press to the window's receiving it.
    double typeOnce(uint8_t key)
    {
        auto sent = Clock::now();
        xcb_test_fake_input(m_keyboard, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_keyboard);
        double seconds = -1;
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_window)) {
            bool pressed = (event->response_type & 0x7F) == XCB_KEY_PRESS;
            std::free(event);
            if (pressed) {
                seconds = std::chrono::duration<double>(Clock::now() - sent).count();
                break;
            }
        }
        xcb_test_fake_input(m_keyboard, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        std::free(xcb_get_input_focus_reply(m_keyboard, xcb_get_input_focus(m_keyboard), nullptr));
        return seconds;
    }

private:
    xcb_connection_t* m_window;
    xcb_connection_t* m_keyboard;
    xcb_window_t m_id = 0;
};

enum class Tap { none, tileMode, replayed };

void passThrough(benchmark::State& state, Tap kind)
{
    Target target;
    std::unique_ptr<X11KeyboardTap> tap;
    if (kind != Tap::none) {
        tap = std::make_unique<X11KeyboardTap>("");
        tap->start([](const KeyEvent& event) { return event.keyCode == code("h"); });
        std::vector<uint32_t> keys { code("h"), code("j"), code("k"), code("l") };
        if (kind == Tap::replayed)
            keys.push_back(code("q"));
        tap->setInterest({ std::nullopt, keys, true, false });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (auto _ : state)
        state.SetIterationTime(target.typeOnce(keyQ));
}

BENCHMARK_CAPTURE(passThrough, none, Tap::none)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(passThrough, tileMode, Tap::tileMode)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(passThrough, replayed, Tap::replayed)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
