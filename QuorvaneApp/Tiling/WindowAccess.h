#pragma once

#include "QuorvaneApp/Platform/DisplayFacts.h"
#include "QuorvaneApp/Tiling/LiveWindow.h"
#include "Tiling/AxisWrite.h"
#include "Tiling/TileGeometry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class Applications;
class WindowSystem;
struct OnScreenWindow;
struct WindowFacts;

// The rules that turn a platform's raw window and display facts into what tiling manages: which windows
// count, which display is which, the front window. Every backend shares them. Reads on the main thread;
// `setFrame` from any thread.
class WindowAccess {
public:
    // Smallest width and height of a managed window.
    static constexpr double minimumSize = manageableSize;
    // How far (per component, exclusive) a window's frame may be from its on-screen entry.
    static constexpr double matchTolerance = 12;

    // How the model names the application the desktop calls by a given identifier.
    using ApplicationNames = std::function<std::string(const std::string& desktopName)>;

    WindowAccess(WindowSystem&, Applications&);

    // Windows carry the model's name for their application from now on, not the desktop's.
    void setApplicationNames(ApplicationNames names) { m_applicationNames = std::move(names); }

    // Every manageable window: applications in the platform's order, each one's windows front to back.
    std::vector<LiveWindow> windows();
    // The window with keyboard focus, whatever kind it is; none when its frame cannot be read.
    std::optional<LiveWindow> focusedWindow();
    // The front-most manageable window.
    std::optional<LiveWindow> frontWindow();
    // Writes the frame in the given order, never narrower or lower than one point.
    void setFrame(WindowHandle, const Frame&, AxisWrite);

    // Displays ordered by left edge; of two whose left edges are within a point, the lower one goes first.
    std::vector<DisplayFacts> orderedScreens();
    // The first display (in display order) whose visible area holds the frame's centre; else the main
    // display, else the first one; none without displays.
    std::optional<DisplayFacts> screen(const Frame& containing);
    // Display `number` counted from 1; the main (else first) display for no number or one out of range.
    std::optional<DisplayFacts> screen(std::optional<int64_t> number);
    // The main display, else the first in display order.
    std::optional<DisplayFacts> mainScreen();
    // As above, over displays `orderedScreens` has read: one reading serves a whole list of windows.
    static std::optional<DisplayFacts> screen(const std::vector<DisplayFacts>& ordered, const Frame& containing);
    static std::optional<DisplayFacts> mainScreen(const std::vector<DisplayFacts>& ordered);

private:
    std::string applicationName(const std::string& desktopName) const;
    LiveWindow liveWindow(const WindowFacts&) const;
    // The manageable windows among `facts`, given the platform's list of what is visible.
    std::vector<LiveWindow> managed(
        const std::vector<WindowFacts>& facts, const std::optional<std::vector<OnScreenWindow>>& onScreen);

    WindowSystem& m_windows;
    Applications& m_applications;
    ApplicationNames m_applicationNames;
};

} // namespace quorvane
