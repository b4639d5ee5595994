#pragma once

#include "Platforms/X11/X11ClientReader.h"
#include "Platforms/X11/X11DisplayReader.h"
#include "Platforms/X11/X11WindowPicker.h"
#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneApp/Platform/WindowSystem.h"

#include <memory>
#include <set>
#include <unordered_map>

namespace quorvane {

class MainLoop;
class X11Connection;
class X11EventSource;

// Windows and displays of an X server run by an EWMH window manager. Windows are the window manager's
// clients on the current desktop; frames are outer frames (client area plus the window manager's
// decoration); writes are requests to the window manager, so it keeps its own rules while it obeys.
class X11WindowSystem : public WindowSystem {
public:
    // Create on the main thread, whose GLib context then delivers the connection's events.
    X11WindowSystem(X11Connection&, MainLoop&);
    ~X11WindowSystem() override;

    std::vector<WindowFacts> windows() override;
    std::optional<std::vector<OnScreenWindow>> onScreenWindows() override;
    std::optional<WindowFacts> focusedWindow() override;
    std::vector<DisplayFacts> displays() override;
    std::optional<Frame> readFrame(WindowHandle) override;
    void setFrame(WindowHandle, const Frame&, AxisWrite) override;
    // Moves are requests to the X server, which answers at once whatever the window's program does.
    bool writesPromptly() const override { return true; }
    void raise(WindowHandle) override;
    EnhancedMode enhancedMode(int32_t pid) override;
    void setEnhancedMode(int32_t pid, bool on) override;
    double refreshRate() override;
    void setChangeHandler(std::function<void()> handler) override;
    void pickWindow(std::function<void(std::optional<WindowFacts>)> picked) override;

    // Asks the window manager to minimise the window.
    void minimize(WindowHandle);
    // `handler` runs on the main thread when the connection to the server breaks.
    void setConnectionLostHandler(std::function<void()> handler) { m_lostHandler = std::move(handler); }

private:
    void handleEvent(const void* event);
    // After a reply waited for off the main thread, the events it read must still reach the main loop.
    void wakeIfWorker();
    // The clients of `windows`, in their order: those of `known` as they are, the others read now.
    std::vector<X11Client> clientsOf(const std::vector<uint32_t>& windows, std::vector<X11Client> known);
    // The window as this piece of work has listed it already, if it has.
    const WindowFacts* listedInThisWork(WindowHandle) const;
    // What a frame write needs of a window this piece of work has listed, if it has.
    struct WriteFacts {
        std::vector<uint32_t> states;
        std::vector<uint32_t> extents;
    };
    std::optional<WriteFacts> writeFactsInThisWork(uint32_t window) const;
    // Drops the listings kept for the main loop's current piece of work once it is done.
    void forgetListingsAfterThisWork();

    X11Connection& m_connection;
    MainLoop& m_mainLoop;
    X11ClientReader m_clients;
    X11DisplayReader m_displays;
    X11WindowPicker m_picker;
    std::unique_ptr<X11EventSource> m_events;
    std::function<void()> m_changeHandler;
    std::function<void()> m_lostHandler;
    bool m_changePosted = false;
    // The listing made while the main loop serves one piece of work, dropped when that work is done: a
    // census that asks for the windows and then for the applications, which are read off the same
    // windows, reads the server once.
    std::optional<std::vector<WindowFacts>> m_listing;
    // The struts of that listing's clients, which the displays take in the same piece of work.
    std::optional<std::vector<std::vector<uint32_t>>> m_listedStruts;
    // The listed windows' states and decoration, so that a move made in the same piece of work (an unanimated
    // tile, written on the main thread) reads nothing again.
    std::unordered_map<uint32_t, WriteFacts> m_listedWrites;
    // Likewise the displays: a tile asks for them more than once.
    std::optional<std::vector<DisplayFacts>> m_displayListing;
    bool m_forgetPosted = false;
    // The clients of the latest listing on the main thread, read again in the next listing's first round trip.
    std::vector<uint32_t> m_knownClients;
    // Work posted to the main loop reaches the window system through this while it lives.
    WeakSelf<X11WindowSystem> m_self { *this };
};

} // namespace quorvane
