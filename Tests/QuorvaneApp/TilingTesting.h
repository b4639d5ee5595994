#pragma once

#include "Platforms/Simulated/SimulatedDesktop.h"
#include "Tiling/Frame.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace quorvane {

inline std::ostream& operator<<(std::ostream& stream, const Frame& frame)
{
    return stream << "(" << frame.x << ", " << frame.y << ", " << frame.width << ", " << frame.height << ")";
}

namespace test {

// Opens a standard window of the application `pid` in front of the others.
inline WindowHandle openWindow(SimulatedDesktop& desktop, int32_t pid, const std::string& bundleIdentifier,
    const Frame& frame, const std::string& title = "")
{
    SimulatedWindow window;
    window.facts.pid = pid;
    window.facts.bundleIdentifier = bundleIdentifier;
    window.facts.title = title;
    window.facts.frame = frame;
    window.facts.kind = WindowKind::standard;
    return desktop.windowSystem.addWindow(window);
}

inline int32_t launchApp(SimulatedDesktop& desktop, const std::string& bundleIdentifier)
{
    return desktop.applications.launch(RunningApplication { bundleIdentifier, 0, bundleIdentifier, true, false });
}

inline Frame frameOf(SimulatedDesktop& desktop, WindowHandle handle)
{
    std::optional<SimulatedWindow> window = desktop.windowSystem.window(handle);
    return window && window->facts.frame ? *window->facts.frame : Frame { -1, -1, -1, -1 };
}

// The frames written to one window, in order.
inline std::vector<Frame> writesTo(SimulatedDesktop& desktop, WindowHandle handle)
{
    std::vector<Frame> frames;
    for (const SimulatedWindowSystem::FrameWrite& write : desktop.windowSystem.writes()) {
        if (write.handle == handle)
            frames.push_back(write.frame);
    }
    return frames;
}

// One display of the given visible area, main, with no panels.
inline void oneDisplay(SimulatedDesktop& desktop, const Frame& area = Frame { 0, 0, 1000, 800 })
{
    desktop.windowSystem.setDisplays({ DisplayFacts { "sim:1", area, area, true } });
}

} // namespace test
} // namespace quorvane
