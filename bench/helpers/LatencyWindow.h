#pragma once

#include "helpers/XcbAtom.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

namespace quorvane::bench {

// One mapped window of the application "org.example.Latency" on its own connection, and the sizes the window
// manager gives it: what the X11 tile benchmarks move and watch.
class LatencyWindow {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr const char* applicationId = "org.example.Latency";

    struct Size {
        uint16_t width = 0, height = 0;
    };
    // Where the window manager put the window: its frame's top-left corner on the root, its client size (as
    // _NET_MOVERESIZE_WINDOW takes them) and its frame's size.
    struct Placement {
        int x = 0, y = 0, width = 0, height = 0;
        int outerWidth = 0, outerHeight = 0;
    };

    LatencyWindow()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        m_window = xcb_generate_id(m_connection);
        uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 500, 400, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
        setText(atom("_NET_WM_NAME"), "Latency");
        setText(atom("_GTK_APPLICATION_ID"), applicationId);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    ~LatencyWindow() { xcb_disconnect(m_connection); }
    LatencyWindow(const LatencyWindow&) = delete;
    LatencyWindow& operator=(const LatencyWindow&) = delete;

    xcb_window_t id() const { return m_window; }
    const Size& size() const { return m_size; }

    // Asks the window manager itself to move and resize the window (outer position, client size): the floor
    // under every tile.
    void moveResize(int x, int y, int width, int height)
    {
        xcb_client_message_event_t message {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = m_window;
        message.type = atom("_NET_MOVERESIZE_WINDOW");
        // North-west gravity, x, y, width and height given, from a pager or tool.
        message.data.data32[0] = 1 | (1 << 8) | (1 << 9) | (1 << 10) | (1 << 11) | (2 << 12);
        message.data.data32[1] = static_cast<uint32_t>(x);
        message.data.data32[2] = static_cast<uint32_t>(y);
        message.data.data32[3] = static_cast<uint32_t>(width);
        message.data.data32[4] = static_cast<uint32_t>(height);
        xcb_send_event(m_connection, 0, m_root,
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

    // The window's placement as it stands now.
    Placement placement()
    {
        auto* origin = xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, m_window, m_root, 0, 0), nullptr);
        auto* geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_window), nullptr);
        auto* extents = xcb_get_property_reply(m_connection,
            xcb_get_property(m_connection, 0, m_window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4), nullptr);
        Placement placement;
        if (origin && geometry) {
            placement = { origin->dst_x, origin->dst_y, geometry->width, geometry->height, geometry->width,
                geometry->height };
            if (extents && xcb_get_property_value_length(extents) == 16) {
                const auto* sides = static_cast<const uint32_t*>(xcb_get_property_value(extents));
                placement.x -= static_cast<int>(sides[0]);
                placement.y -= static_cast<int>(sides[2]);
                placement.outerWidth += static_cast<int>(sides[0] + sides[1]);
                placement.outerHeight += static_cast<int>(sides[2] + sides[3]);
            }
        }
        std::free(origin);
        std::free(geometry);
        std::free(extents);
        return placement;
    }

    // The next size other than the current one (which it becomes), or none by `deadline`.
    std::optional<Size> nextSize(Clock::time_point deadline)
    {
        while (true) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                std::optional<Size> size;
                if ((event->response_type & 0x7F) == XCB_CONFIGURE_NOTIFY) {
                    const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
                    if (configure->window == m_window
                        && (configure->width != m_size.width || configure->height != m_size.height))
                        size = Size { configure->width, configure->height };
                }
                std::free(event);
                if (size) {
                    m_size = *size;
                    return size;
                }
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return std::nullopt;
            pollfd readable { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
            ::poll(&readable, 1, static_cast<int>(left));
        }
    }

    // Takes in whatever the window manager is still doing, and the size it leaves the window at.
    void settle()
    {
        while (nextSize(Clock::now() + std::chrono::milliseconds(50))) { }
        auto* geometry = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_window), nullptr);
        if (geometry)
            m_size = Size { geometry->width, geometry->height };
        std::free(geometry);
    }

private:
    xcb_atom_t atom(const char* name) { return internAtom(m_connection, name); }
    void setText(xcb_atom_t property, const std::string& text)
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, property, atom("UTF8_STRING"), 8,
            static_cast<uint32_t>(text.size()), text.data());
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
    Size m_size;
};

} // namespace quorvane::bench
