#pragma once

#include "QuorvaneApp/Platform/DisplayFacts.h"
#include "QuorvaneApp/Platform/WindowFacts.h"
#include "Tiling/AxisWrite.h"

#include <functional>
#include <optional>
#include <vector>

namespace quorvane {

// An application's assistive-technology mode that makes its frame writes slow while it is on.
enum class EnhancedMode { on, off, unknown };

// Raw window and display facts and the primitive writes. Every product rule over them (which windows
// tiling manages, display order, the front window) lives in the application, not here.
// Reads are made on the main thread; `readFrame`, `setFrame` and the enhanced mode are also called from
// animation workers, concurrently for windows of different applications.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Every top-level window of every application, front to back.
    virtual std::vector<WindowFacts> windows() = 0;
    // The windows really visible, front to back; absent when the platform keeps no list apart from
    // `windows()`, in which case every listed window counts as visible.
    virtual std::optional<std::vector<OnScreenWindow>> onScreenWindows() = 0;
    // The window that has keyboard focus, if any.
    virtual std::optional<WindowFacts> focusedWindow() = 0;
    // Every connected display.
    virtual std::vector<DisplayFacts> displays() = 0;
    // The window's current frame, or none when it cannot be read (or the window is gone).
    virtual std::optional<Frame> readFrame(WindowHandle) = 0;
    // Moves and resizes the window, writing position and size in the given order. A write the window
    // refuses is silently lost; a gone window is ignored.
    virtual void setFrame(WindowHandle, const Frame&, AxisWrite) = 0;
    // Whether an unanimated move may be written on the main thread: true where writes go to a display
    // server that answers promptly, false where they wait on the window's own application.
    virtual bool writesPromptly() const = 0;
    // Raises the window above its application's others, makes it the main one and gives it focus.
    virtual void raise(WindowHandle) = 0;
    // The application's enhanced mode; unknown where the platform has no such mode.
    virtual EnhancedMode enhancedMode(int32_t pid) = 0;
    // Switches the application's enhanced mode; does nothing where the platform has none.
    virtual void setEnhancedMode(int32_t pid, bool on) = 0;
    // Refresh rate of the main display in hertz, 0 when unknown.
    virtual double refreshRate() = 0;
    // `handler` is posted to the main loop when the window list may have changed; a platform that cannot
    // tell never calls it (the census timer still runs).
    virtual void setChangeHandler(std::function<void()> handler) = 0;
    // Lets the person point at a window: the pointer becomes a crosshair until one click, and Escape
    // cancels. `picked` gets the clicked top-level window as `windows()` lists it, or nothing when the pick
    // was cancelled or cannot be made (another program holds the pointer, or the platform has no picking);
    // it is called on the main thread, at once where the platform has no picking. Asked again while a pick
    // runs, the new request gets nothing.
    virtual void pickWindow(std::function<void(std::optional<WindowFacts>)> picked) { picked(std::nullopt); }
};

} // namespace quorvane
