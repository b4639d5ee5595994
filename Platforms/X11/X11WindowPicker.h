#pragma once

#include "QuorvaneApp/Platform/MainLoop.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace quorvane {

class X11Connection;

// One pick of a window by a click: the pointer and keyboard are grabbed on the root window with a crosshair
// cursor until a button goes up (the client window under it is the answer) or Escape is pressed (no answer).
// A pick nobody finishes ends by itself after a minute, so the grab never outlives the person's attention.
// Main thread only; the connection's events reach it through `handle`.
class X11WindowPicker {
public:
    X11WindowPicker(X11Connection&, MainLoop&);
    // Lets go of a grab still held, answering nothing.
    ~X11WindowPicker();
    X11WindowPicker(const X11WindowPicker&) = delete;
    X11WindowPicker& operator=(const X11WindowPicker&) = delete;

    // Starts a pick; `done` gets the clicked client window, or nothing when the pick was cancelled or the
    // pointer could not be grabbed (then at once). A pick asked while one runs answers nothing at once.
    void start(std::function<void(std::optional<uint32_t> client)> done);
    // Takes an event of the connection; true when it was the pick's.
    bool handle(const xcb_generic_event_t&);
    bool picking() const { return static_cast<bool>(m_done); }

private:
    void finish(std::optional<uint32_t> client);
    // The client window (the one with WM_STATE) at or under `window`, searched breadth first.
    std::optional<uint32_t> clientOf(xcb_window_t window);
    xcb_cursor_t crosshair();
    xcb_keycode_t escapeKey();

    X11Connection& m_connection;
    MainLoop& m_loop;
    std::function<void(std::optional<uint32_t>)> m_done;
    // The top-level window the button went down over.
    xcb_window_t m_pressed = XCB_WINDOW_NONE;
    xcb_cursor_t m_cursor = XCB_CURSOR_NONE;
    xcb_keycode_t m_escape = 0;
    TimerId m_timeout = 0;
};

} // namespace quorvane
