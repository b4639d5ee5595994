#pragma once

#include "QuorvaneApp/Platform/WindowSystem.h"

#include <atomic>
#include <map>
#include <mutex>

namespace quorvane {

class MainLoop;

// One window of the simulated desktop and how it behaves.
struct SimulatedWindow {
    WindowFacts facts;
    // Whether the window server lists it as visible.
    bool onScreen = true;
    // The frame the on-screen list reports, when it differs from `facts.frame`.
    std::optional<Frame> onScreenFrame;
    // Virtual seconds one frame write takes.
    double writeSeconds = 0;
    // Frame writes are accepted and lost.
    bool refusesWrites = false;
};

// Displays and windows kept in memory. Frame writes are logged with the time they ended at; a slow window's
// write moves the virtual clock (or, on a real main loop, takes that long). Safe to call from worker threads.
class SimulatedWindowSystem : public WindowSystem {
public:
    // One logged frame write.
    struct FrameWrite {
        WindowHandle handle;
        Frame frame;
        AxisWrite order = AxisWrite::positionThenSize;
        double at = 0;

        friend bool operator==(const FrameWrite&, const FrameWrite&) = default;
    };

    explicit SimulatedWindowSystem(MainLoop&);

    // The scene.
    void setDisplays(std::vector<DisplayFacts>);
    // Opens a window in front of the others; an empty id becomes "sim:" and the handle's number.
    WindowHandle addWindow(SimulatedWindow);
    void removeWindow(WindowHandle);
    // Changes a window in place.
    void update(WindowHandle, const std::function<void(SimulatedWindow&)>&);
    std::optional<SimulatedWindow> window(WindowHandle) const;
    // Gives focus to the window (none: to nothing) and brings it to the front.
    void focus(std::optional<WindowHandle>);
    // The front window of the process, if it has one.
    std::optional<WindowHandle> frontWindowOf(int32_t pid) const;
    // Every window of the process, front to back.
    std::vector<WindowHandle> windowsOf(int32_t pid) const;
    // Whether the on-screen list exists at all (as on systems with a window server list).
    void setReportsOnScreenList(bool);
    void setRefreshRate(double hertz);
    // Whether unanimated moves are written on the main thread, as on a display server; off by default.
    void setWritesPromptly(bool);
    // Posts the change handler, as a backend does when windows come and go.
    void announceChange();

    std::vector<FrameWrite> writes() const;
    void clearWrites();
    // Every enhanced-mode change, in order.
    std::vector<std::pair<int32_t, bool>> enhancedModeChanges() const;
    void setEnhancedModeOf(int32_t pid, EnhancedMode);
    std::vector<WindowHandle> raised() const;

    std::vector<WindowFacts> windows() override;
    std::optional<std::vector<OnScreenWindow>> onScreenWindows() override;
    std::optional<WindowFacts> focusedWindow() override;
    std::vector<DisplayFacts> displays() override;
    std::optional<Frame> readFrame(WindowHandle) override;
    void setFrame(WindowHandle, const Frame&, AxisWrite) override;
    bool writesPromptly() const override;
    void raise(WindowHandle) override;
    EnhancedMode enhancedMode(int32_t pid) override;
    void setEnhancedMode(int32_t pid, bool on) override;
    double refreshRate() override;
    void setChangeHandler(std::function<void()>) override;
    void pickWindow(std::function<void(std::optional<WindowFacts>)> picked) override;

    // Whether a pick waits for its click.
    bool picking() const;
    // Ends the pick waiting for its click, as a click on `window` does (none: as Escape does); false when no
    // pick waits.
    bool finishPick(std::optional<WindowHandle> window);

private:
    SimulatedWindow* find(WindowHandle);
    void focusLocked(std::optional<WindowHandle>);

    MainLoop& m_loop;
    mutable std::mutex m_mutex;
    std::vector<DisplayFacts> m_displays;
    // Front to back.
    std::vector<SimulatedWindow> m_windows;
    std::optional<WindowHandle> m_focused;
    uint64_t m_nextHandle = 1;
    bool m_reportsOnScreenList = true;
    double m_refreshRate = 60;
    std::atomic<bool> m_writesPromptly = false;
    std::vector<FrameWrite> m_writes;
    std::map<int32_t, EnhancedMode> m_enhanced;
    std::vector<std::pair<int32_t, bool>> m_enhancedChanges;
    std::vector<WindowHandle> m_raised;
    std::function<void()> m_changeHandler;
    std::function<void(std::optional<WindowFacts>)> m_picked;
};

} // namespace quorvane
