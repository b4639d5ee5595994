#include "Platforms/X11/MaximisedRelease.h"

#include "Platforms/X11/X11Connection.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace quorvane {

namespace {

constexpr uint32_t stateRemove = 0;
constexpr uint32_t sourceTool = 2;

using Clock = std::chrono::steady_clock;

// A connection for one release, closed when it goes.
struct PrivateConnection {
    xcb_connection_t* xcb;
    explicit PrivateConnection(const std::string& displayName)
        : xcb(xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), nullptr))
    {
    }
    ~PrivateConnection() { xcb_disconnect(xcb); }
    PrivateConnection(const PrivateConnection&) = delete;
    PrivateConnection& operator=(const PrivateConnection&) = delete;
};

} // namespace

std::vector<uint32_t> MaximisedRelease::release(X11Connection& shared, xcb_window_t window)
{
    xcb_ewmh_connection_t* ewmh = shared.ewmh();
    const std::vector<uint32_t> request { stateRemove, ewmh->_NET_WM_STATE_MAXIMIZED_VERT,
        ewmh->_NET_WM_STATE_MAXIMIZED_HORZ, sourceTool };
    PrivateConnection own(shared.displayName());
    if (xcb_connection_has_error(own.xcb)) {
        // No second connection: ask all the same and take the extents as they are.
        shared.sendRootMessage(window, ewmh->_NET_WM_STATE, request);
        shared.flush();
        return readCardinals(shared.xcb(), window, ewmh->_NET_FRAME_EXTENTS);
    }
    xcb_connection_t* xcb = own.xcb;
    auto maximised = [&] {
        std::vector<uint32_t> states = readCardinals(xcb, window, ewmh->_NET_WM_STATE);
        return std::any_of(states.begin(), states.end(), [&](uint32_t state) {
            return state == ewmh->_NET_WM_STATE_MAXIMIZED_VERT || state == ewmh->_NET_WM_STATE_MAXIMIZED_HORZ;
        });
    };

    // The notices are asked for before the request goes out on the same connection, so none is missed.
    uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(xcb, window, XCB_CW_EVENT_MASK, &mask);
    sendRootMessage(xcb, shared.root(), window, ewmh->_NET_WM_STATE, request);
    xcb_flush(xcb);

    Clock::time_point deadline = Clock::now() + stateWait;
    bool released = false;
    bool redecorated = false;
    bool gone = false;
    while (!gone && !(released && redecorated)) {
        Clock::time_point now = Clock::now();
        if (now >= deadline)
            break;
        // Events already read off the socket (by a reply waited for below) come first.
        xcb_generic_event_t* event = xcb_poll_for_queued_event(xcb);
        if (!event) {
            pollfd readable { xcb_get_file_descriptor(xcb), POLLIN, 0 };
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            if (::poll(&readable, 1, static_cast<int>(std::max<long long>(left, 1))) <= 0)
                continue;
            event = xcb_poll_for_event(xcb);
            if (!event) {
                gone = xcb_connection_has_error(xcb) != 0;
                continue;
            }
        }
        uint8_t type = event->response_type & 0x7F;
        if (type == 0) {
            // The window went (BadWindow): nothing to wait for.
            gone = true;
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto* notice = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (notice->window == window && notice->atom == ewmh->_NET_FRAME_EXTENTS) {
                redecorated = true;
            } else if (notice->window == window && notice->atom == ewmh->_NET_WM_STATE && !released && !maximised()) {
                released = true;
                deadline = std::min(deadline, Clock::now() + decorationWait);
            }
        }
        std::free(event);
    }
    if (gone)
        return {};
    return readCardinals(xcb, window, ewmh->_NET_FRAME_EXTENTS);
}

} // namespace quorvane
