#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace quorvane {

class X11Connection;

// Takes a window out of the window manager's maximised state before it is moved, and tells the frame
// extents the window manager draws once it has let go. Window managers set the new state first and the
// new decoration a moment later (Openbox: about a millisecond), so a size worked out between the two is
// off by the difference; the release waits for both, watching the window's property notices on a
// connection of its own so that no event of the shared connection is taken from the main loop.
class MaximisedRelease {
public:
    // Longest wait for the window manager to drop the maximised state.
    static constexpr std::chrono::milliseconds stateWait { 100 };
    // Longest further wait, once the state is gone, for the decoration to change. A window manager that
    // draws the same decoration either way never changes it.
    static constexpr std::chrono::milliseconds decorationWait { 25 };

    // Asks the window manager to drop the maximised state of `window` and waits as above; answers the
    // window's frame extents then (left, right, top, bottom), empty when the window has none or is gone.
    static std::vector<uint32_t> release(X11Connection&, xcb_window_t window);
};

} // namespace quorvane
