#include "QuorvaneApp/Tiling/WindowAccess.h"

#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Tiling/StableOrder.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace quorvane {

namespace {

bool near(const Frame& a, const Frame& b, double tolerance)
{
    return std::abs(a.x - b.x) < tolerance && std::abs(a.y - b.y) < tolerance && std::abs(a.width - b.width) < tolerance
        && std::abs(a.height - b.height) < tolerance;
}

bool contains(const Frame& area, double x, double y)
{
    return area.x <= x && x < area.maxX() && area.y <= y && y < area.maxY();
}

// The kind filters: a window of another kind than a window, or a dialog or a window of unknown kind, is
// never tiled; a window the platform says nothing about counts as a window.
bool tileableKind(const std::optional<WindowKind>& kind)
{
    if (!kind)
        return true;
    return *kind == WindowKind::standard;
}

// Whether display `a` comes before display `b`: by left edge, and by bottom edge (the lower display
// first) when the left edges are within a point.
bool before(const DisplayFacts& a, const DisplayFacts& b)
{
    if (std::abs(a.frame.x - b.frame.x) <= 1)
        return a.frame.maxY() > b.frame.maxY();
    return a.frame.x < b.frame.x;
}

} // namespace

WindowAccess::WindowAccess(WindowSystem& windows, Applications& applications)
    : m_windows(windows)
    , m_applications(applications)
{
}

std::string WindowAccess::applicationName(const std::string& desktopName) const
{
    return m_applicationNames ? m_applicationNames(desktopName) : desktopName;
}

LiveWindow WindowAccess::liveWindow(const WindowFacts& facts) const
{
    return LiveWindow { facts.id, facts.pid, applicationName(facts.bundleIdentifier), facts.title, *facts.frame,
        facts.handle, facts.ready };
}

std::vector<LiveWindow> WindowAccess::windows()
{
    std::optional<std::vector<OnScreenWindow>> onScreen = m_windows.onScreenWindows();
    return managed(m_windows.windows(), onScreen);
}

std::vector<LiveWindow> WindowAccess::managed(
    const std::vector<WindowFacts>& facts, const std::optional<std::vector<OnScreenWindow>>& onScreen)
{
    std::vector<RunningApplication> running = m_applications.running();
    int32_t ownPid = m_applications.ownPid();

    // The on-screen entries and the windows of each process, each in their own order.
    std::unordered_map<int32_t, std::vector<Frame>> visible;
    if (onScreen) {
        for (const OnScreenWindow& entry : *onScreen)
            visible[entry.pid].push_back(entry.frame);
    }
    std::unordered_map<int32_t, std::vector<const WindowFacts*>> byProcess;
    std::vector<int32_t> processes;
    for (const WindowFacts& window : facts) {
        std::vector<const WindowFacts*>& list = byProcess[window.pid];
        if (list.empty())
            processes.push_back(window.pid);
        list.push_back(&window);
    }

    auto keep = [&](const WindowFacts& window) {
        if (window.ownWindow || window.pid == ownPid || !window.frame)
            return false;
        const Frame& frame = *window.frame;
        if (frame.width < minimumSize || frame.height < minimumSize)
            return false;
        if (!tileableKind(window.kind))
            return false;
        if (window.minimized || window.fullScreen)
            return false;
        // Where the platform keeps no list of what is really visible, every listed window counts as visible.
        if (!onScreen)
            return true;
        auto entries = visible.find(window.pid);
        return entries != visible.end()
            && std::any_of(entries->second.begin(), entries->second.end(),
                [&](const Frame& entry) { return near(entry, frame, matchTolerance); });
    };
    std::vector<LiveWindow> result;
    auto take = [&](int32_t pid) {
        auto windows = byProcess.find(pid);
        if (windows == byProcess.end())
            return;
        for (const WindowFacts* window : windows->second) {
            if (keep(*window))
                result.push_back(liveWindow(*window));
        }
        byProcess.erase(windows);
    };
    for (const RunningApplication& application : running) {
        if (application.regular)
            take(application.pid);
        else
            byProcess.erase(application.pid);
    }
    // Windows whose process the platform does not list as an application come last.
    for (int32_t pid : processes)
        take(pid);
    return result;
}

std::optional<LiveWindow> WindowAccess::focusedWindow()
{
    std::optional<WindowFacts> focused = m_windows.focusedWindow();
    if (!focused || !focused->frame)
        return std::nullopt;
    LiveWindow window = liveWindow(*focused);
    if (window.bundleIdentifier.empty()) {
        for (const RunningApplication& application : m_applications.running()) {
            if (application.pid == window.pid) {
                window.bundleIdentifier = applicationName(application.bundleIdentifier);
                break;
            }
        }
    }
    return window;
}

std::optional<LiveWindow> WindowAccess::frontWindow()
{
    std::optional<std::vector<OnScreenWindow>> onScreen = m_windows.onScreenWindows();
    std::vector<WindowFacts> facts = m_windows.windows();
    std::vector<LiveWindow> listed = managed(facts, onScreen);
    if (listed.empty())
        return std::nullopt;
    std::vector<OnScreenWindow> order;
    if (onScreen) {
        order = std::move(*onScreen);
    } else {
        // Without a separate list, the window list itself is front to back.
        for (const WindowFacts& window : facts) {
            if (window.frame)
                order.push_back(OnScreenWindow { window.pid, *window.frame });
        }
    }
    for (const OnScreenWindow& entry : order) {
        for (const LiveWindow& window : listed) {
            if (window.pid == entry.pid && near(window.frame, entry.frame, matchTolerance))
                return window;
        }
    }
    return listed.front();
}

void WindowAccess::setFrame(WindowHandle handle, const Frame& frame, AxisWrite order)
{
    m_windows.setFrame(
        handle, Frame { frame.x, frame.y, std::max(frame.width, 1.0), std::max(frame.height, 1.0) }, order);
}

std::vector<DisplayFacts> WindowAccess::orderedScreens()
{
    std::vector<DisplayFacts> displays = m_windows.displays();
    stableOrder(displays, before);
    return displays;
}

std::optional<DisplayFacts> WindowAccess::mainScreen()
{
    return mainScreen(orderedScreens());
}

std::optional<DisplayFacts> WindowAccess::mainScreen(const std::vector<DisplayFacts>& displays)
{
    if (displays.empty())
        return std::nullopt;
    auto main
        = std::find_if(displays.begin(), displays.end(), [](const DisplayFacts& display) { return display.isMain; });
    return main == displays.end() ? displays.front() : *main;
}

std::optional<DisplayFacts> WindowAccess::screen(const Frame& containing)
{
    return screen(orderedScreens(), containing);
}

std::optional<DisplayFacts> WindowAccess::screen(const std::vector<DisplayFacts>& ordered, const Frame& containing)
{
    for (const DisplayFacts& display : ordered) {
        if (contains(display.visibleFrame, containing.midX(), containing.midY()))
            return display;
    }
    return mainScreen(ordered);
}

std::optional<DisplayFacts> WindowAccess::screen(std::optional<int64_t> number)
{
    std::vector<DisplayFacts> displays = orderedScreens();
    if (number && *number >= 1 && *number <= static_cast<int64_t>(displays.size()))
        return displays[static_cast<size_t>(*number - 1)];
    return mainScreen(displays);
}

} // namespace quorvane
