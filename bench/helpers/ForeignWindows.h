#pragma once

#include "helpers/XcbAtom.h"

#include <xcb/xcb.h>

#include <string>

namespace quorvane::bench {

// Titled, classed windows of another "process" (they claim pid 1), mapped for the window manager to manage,
// the `i`th at (i × dx, i × dy). They go with their connection.
class ForeignWindows {
public:
    ForeignWindows(int count, int dx, int dy)
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        auto atom = [&](const char* name) { return internAtom(m_connection, name); };
        xcb_atom_t netName = atom("_NET_WM_NAME"), utf8 = atom("UTF8_STRING"), pidAtom = atom("_NET_WM_PID");
        for (int i = 0; i < count; ++i) {
            xcb_window_t window = xcb_generate_id(m_connection);
            xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<int16_t>(i * dx),
                static_cast<int16_t>(i * dy), 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0,
                nullptr);
            std::string title = "Benchmark window " + std::to_string(i);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, netName, utf8, 8,
                static_cast<uint32_t>(title.size()), title.data());
            const char wmClass[] = "bench\0BenchWindow";
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                sizeof wmClass, wmClass);
            uint32_t pid = 1;
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, pidAtom, XCB_ATOM_CARDINAL, 32, 1, &pid);
            xcb_map_window(m_connection, window);
        }
        xcb_flush(m_connection);
    }
    ~ForeignWindows() { xcb_disconnect(m_connection); }
    ForeignWindows(const ForeignWindows&) = delete;
    ForeignWindows& operator=(const ForeignWindows&) = delete;

private:
    xcb_connection_t* m_connection;
};

} // namespace quorvane::bench
