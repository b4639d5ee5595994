#pragma once

#include "Platforms/GLib/ApplicationIds.h"
#include "QuorvaneApp/Platform/WindowFacts.h"
#include "Tiling/Frame.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quorvane {

class MainLoop;
class X11Connection;

// One managed client as read in a single pipelined pass.
struct X11Client {
    uint32_t window = 0;
    bool readable = false;
    bool viewable = false;
    // Client area in root coordinates.
    Frame client;
    std::vector<uint32_t> types;
    std::vector<uint32_t> states;
    std::optional<uint32_t> desktop;
    bool transient = false;
    std::vector<uint32_t> extents;
    // `_NET_WM_STRUT_PARTIAL`, or `_NET_WM_STRUT` when the window has none: the band a dock reserves.
    std::vector<uint32_t> strut;
    // The window manager has taken the window in (ICCCM WM_STATE).
    bool wmState = false;
    std::optional<std::string> netName;
    std::optional<std::string> name;
    std::optional<std::string> declaredApplication;
    std::string instance;
    std::string className;
    int32_t pid = 0;

    // Shown, titled and taken in by the window manager. Until then the window is being set up: a program
    // may map its window first and name it a moment later.
    bool ready() const { return viewable && (netName || name) && (wmState || extents.size() == 4); }

    Frame outerFrame() const
    {
        double left = 0, right = 0, top = 0, bottom = 0;
        if (extents.size() == 4) {
            left = extents[0];
            right = extents[1];
            top = extents[2];
            bottom = extents[3];
        }
        return { client.x - left, client.y - top, client.width + left + right, client.height + top + bottom };
    }
};

// The requests about some windows, sent and not yet answered.
class PendingClients {
public:
    PendingClients();
    ~PendingClients();
    PendingClients(PendingClients&&) noexcept;
    PendingClients& operator=(PendingClients&&) noexcept;

    const std::vector<uint32_t>& windows() const { return m_windows; }

private:
    friend class X11ClientReader;
    struct Requests;
    std::vector<uint32_t> m_windows;
    std::vector<Requests> m_requests;
};

// Reads the window manager's clients in one pipelined pass and tells what each one is: its application,
// process, title, kind and frame. On the main thread it keeps what a client cannot change while its window
// is managed, and it owns the events this connection asks of client windows.
class X11ClientReader {
public:
    X11ClientReader(X11Connection&, MainLoop&);

    // The clients of these windows, in their order: one round trip, and one more for the processes of
    // windows that do not say theirs and were not asked about before.
    std::vector<X11Client> read(const std::vector<uint32_t>& windows);
    // `read` in two halves, so that other requests can share the round trip: sends the requests, then
    // waits for their answers. Every pending read must be collected.
    PendingClients request(const std::vector<uint32_t>& windows);
    std::vector<X11Client> collect(PendingClients);
    WindowFacts factsOf(const X11Client&) const;
    // Forgets what it keeps of windows that are not `listed` any more. Main thread.
    void keepOnly(const std::vector<uint32_t>& listed);
    // Asks these windows, still being set up, to tell when they change; stops asking the windows watched
    // before that are not among them. Main thread.
    void watch(std::set<uint32_t> windows);
    bool watched(uint32_t window) const { return m_watched.contains(window); }

    // The window id the rest of the application knows the window by.
    static std::string windowId(uint32_t window);

private:
    X11Connection& m_connection;
    MainLoop& m_mainLoop;
    // Mutable: resolving an id remembers what the desktop files said.
    mutable ApplicationIds m_applicationIds;
    // What a client sets before its window is managed and keeps while it is: its class (by ICCCM only while
    // withdrawn), its process and its declared application.
    struct LastingFacts {
        std::optional<std::string> declaredApplication;
        std::string instance;
        std::string className;
        int32_t pid = 0;
    };
    // The event mask this connection selects on a client window.
    uint32_t maskFor(uint32_t window) const;

    // The process of each listed window that does not say it, as the server told it (main thread).
    std::map<uint32_t, int32_t> m_connectionPids;
    // The lasting facts of each listed window read on the main thread. Each such window carries `readMark`
    // in this connection's event mask from before the read: a window that takes over the id lacks it.
    std::map<uint32_t, LastingFacts> m_lasting;
    std::set<uint32_t> m_watched;
    int32_t m_ownPid;
};

} // namespace quorvane
