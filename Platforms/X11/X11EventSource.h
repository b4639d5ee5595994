#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <memory>

namespace quorvane {

class X11Connection;

// Delivers the connection's events on the main thread's GLib context: a source on the connection's
// descriptor that also drains events xcb has already queued, since a reply waited for on any thread reads
// events off the socket without leaving it readable. X errors of requests nobody waits for (a window gone
// mid-operation) are dropped here. Create and destroy it on the main thread.
class X11EventSource {
public:
    using Handler = std::function<void(const xcb_generic_event_t&)>;

    // `lost` is called once, on the main thread, when the connection to the server breaks.
    X11EventSource(X11Connection&, Handler handler, std::function<void()> lost);
    ~X11EventSource();
    X11EventSource(const X11EventSource&) = delete;
    X11EventSource& operator=(const X11EventSource&) = delete;

    // Makes the main context look at the queue again soon; callable from any thread (after a worker has
    // waited for a reply).
    void wake();

private:
    struct Source;
    Source* m_source;
};

} // namespace quorvane
