#include "Platforms/Simulated/SimulatedWindowSystem.h"

#include "Platforms/Simulated/SimulatedMainLoop.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace quorvane {

SimulatedWindowSystem::SimulatedWindowSystem(MainLoop& loop)
    : m_loop(loop)
{
}

void SimulatedWindowSystem::setDisplays(std::vector<DisplayFacts> displays)
{
    std::lock_guard guard(m_mutex);
    m_displays = std::move(displays);
}

WindowHandle SimulatedWindowSystem::addWindow(SimulatedWindow window)
{
    std::lock_guard guard(m_mutex);
    window.facts.handle = WindowHandle { m_nextHandle++ };
    if (window.facts.id.empty())
        window.facts.id = "sim:" + std::to_string(window.facts.handle.value);
    m_windows.insert(m_windows.begin(), std::move(window));
    return m_windows.front().facts.handle;
}

void SimulatedWindowSystem::removeWindow(WindowHandle handle)
{
    std::lock_guard guard(m_mutex);
    std::erase_if(m_windows, [&](const SimulatedWindow& window) { return window.facts.handle == handle; });
    if (m_focused == handle)
        m_focused.reset();
}

SimulatedWindow* SimulatedWindowSystem::find(WindowHandle handle)
{
    auto found = std::find_if(m_windows.begin(), m_windows.end(),
        [&](const SimulatedWindow& window) { return window.facts.handle == handle; });
    return found == m_windows.end() ? nullptr : &*found;
}

void SimulatedWindowSystem::update(WindowHandle handle, const std::function<void(SimulatedWindow&)>& change)
{
    std::lock_guard guard(m_mutex);
    if (SimulatedWindow* window = find(handle))
        change(*window);
}

std::optional<SimulatedWindow> SimulatedWindowSystem::window(WindowHandle handle) const
{
    std::lock_guard guard(m_mutex);
    SimulatedWindow* window = const_cast<SimulatedWindowSystem*>(this)->find(handle);
    return window ? std::optional(*window) : std::nullopt;
}

void SimulatedWindowSystem::focusLocked(std::optional<WindowHandle> handle)
{
    m_focused.reset();
    if (!handle)
        return;
    auto found = std::find_if(m_windows.begin(), m_windows.end(),
        [&](const SimulatedWindow& window) { return window.facts.handle == *handle; });
    if (found == m_windows.end())
        return;
    std::rotate(m_windows.begin(), found, found + 1);
    m_focused = handle;
}

void SimulatedWindowSystem::focus(std::optional<WindowHandle> handle)
{
    std::lock_guard guard(m_mutex);
    focusLocked(handle);
}

std::optional<WindowHandle> SimulatedWindowSystem::frontWindowOf(int32_t pid) const
{
    std::vector<WindowHandle> handles = windowsOf(pid);
    return handles.empty() ? std::nullopt : std::optional(handles.front());
}

std::vector<WindowHandle> SimulatedWindowSystem::windowsOf(int32_t pid) const
{
    std::lock_guard guard(m_mutex);
    std::vector<WindowHandle> handles;
    for (const SimulatedWindow& window : m_windows) {
        if (window.facts.pid == pid)
            handles.push_back(window.facts.handle);
    }
    return handles;
}

void SimulatedWindowSystem::setReportsOnScreenList(bool reports)
{
    std::lock_guard guard(m_mutex);
    m_reportsOnScreenList = reports;
}

void SimulatedWindowSystem::setRefreshRate(double hertz)
{
    std::lock_guard guard(m_mutex);
    m_refreshRate = hertz;
}

void SimulatedWindowSystem::setWritesPromptly(bool promptly)
{
    m_writesPromptly = promptly;
}

bool SimulatedWindowSystem::writesPromptly() const
{
    return m_writesPromptly;
}

void SimulatedWindowSystem::announceChange()
{
    std::function<void()> handler;
    {
        std::lock_guard guard(m_mutex);
        handler = m_changeHandler;
    }
    if (handler)
        m_loop.post(handler);
}

std::vector<SimulatedWindowSystem::FrameWrite> SimulatedWindowSystem::writes() const
{
    std::lock_guard guard(m_mutex);
    return m_writes;
}

void SimulatedWindowSystem::clearWrites()
{
    std::lock_guard guard(m_mutex);
    m_writes.clear();
}

std::vector<std::pair<int32_t, bool>> SimulatedWindowSystem::enhancedModeChanges() const
{
    std::lock_guard guard(m_mutex);
    return m_enhancedChanges;
}

void SimulatedWindowSystem::setEnhancedModeOf(int32_t pid, EnhancedMode mode)
{
    std::lock_guard guard(m_mutex);
    m_enhanced[pid] = mode;
}

std::vector<WindowHandle> SimulatedWindowSystem::raised() const
{
    std::lock_guard guard(m_mutex);
    return m_raised;
}

std::vector<WindowFacts> SimulatedWindowSystem::windows()
{
    std::lock_guard guard(m_mutex);
    std::vector<WindowFacts> facts;
    for (const SimulatedWindow& window : m_windows)
        facts.push_back(window.facts);
    return facts;
}

std::optional<std::vector<OnScreenWindow>> SimulatedWindowSystem::onScreenWindows()
{
    std::lock_guard guard(m_mutex);
    if (!m_reportsOnScreenList)
        return std::nullopt;
    std::vector<OnScreenWindow> visible;
    for (const SimulatedWindow& window : m_windows) {
        std::optional<Frame> frame = window.onScreenFrame ? window.onScreenFrame : window.facts.frame;
        if (window.onScreen && !window.facts.minimized && frame)
            visible.push_back(OnScreenWindow { window.facts.pid, *frame });
    }
    return visible;
}

std::optional<WindowFacts> SimulatedWindowSystem::focusedWindow()
{
    std::lock_guard guard(m_mutex);
    SimulatedWindow* window = m_focused ? find(*m_focused) : nullptr;
    return window ? std::optional(window->facts) : std::nullopt;
}

std::vector<DisplayFacts> SimulatedWindowSystem::displays()
{
    std::lock_guard guard(m_mutex);
    return m_displays;
}

std::optional<Frame> SimulatedWindowSystem::readFrame(WindowHandle handle)
{
    std::lock_guard guard(m_mutex);
    SimulatedWindow* window = find(handle);
    return window ? window->facts.frame : std::nullopt;
}

void SimulatedWindowSystem::setFrame(WindowHandle handle, const Frame& frame, AxisWrite order)
{
    double seconds = 0;
    {
        std::lock_guard guard(m_mutex);
        SimulatedWindow* window = find(handle);
        if (!window)
            return;
        seconds = window->writeSeconds;
        if (!window->refusesWrites)
            window->facts.frame = Frame { frame.x, frame.y, std::max(frame.width, 1.0), std::max(frame.height, 1.0) };
    }
    if (seconds > 0) {
        if (auto* simulated = dynamic_cast<SimulatedMainLoop*>(&m_loop))
            simulated->addTime(seconds);
        else
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
    std::lock_guard guard(m_mutex);
    m_writes.push_back(FrameWrite { handle, frame, order, m_loop.now() });
}

void SimulatedWindowSystem::raise(WindowHandle handle)
{
    std::lock_guard guard(m_mutex);
    m_raised.push_back(handle);
    focusLocked(handle);
}

EnhancedMode SimulatedWindowSystem::enhancedMode(int32_t pid)
{
    std::lock_guard guard(m_mutex);
    auto found = m_enhanced.find(pid);
    return found == m_enhanced.end() ? EnhancedMode::unknown : found->second;
}

void SimulatedWindowSystem::setEnhancedMode(int32_t pid, bool on)
{
    std::lock_guard guard(m_mutex);
    auto found = m_enhanced.find(pid);
    if (found == m_enhanced.end() || found->second == EnhancedMode::unknown)
        return;
    found->second = on ? EnhancedMode::on : EnhancedMode::off;
    m_enhancedChanges.emplace_back(pid, on);
}

double SimulatedWindowSystem::refreshRate()
{
    std::lock_guard guard(m_mutex);
    return m_refreshRate;
}

void SimulatedWindowSystem::setChangeHandler(std::function<void()> handler)
{
    std::lock_guard guard(m_mutex);
    m_changeHandler = std::move(handler);
}

void SimulatedWindowSystem::pickWindow(std::function<void(std::optional<WindowFacts>)> picked)
{
    {
        std::lock_guard guard(m_mutex);
        if (!m_picked) {
            m_picked = std::move(picked);
            return;
        }
    }
    picked(std::nullopt);
}

bool SimulatedWindowSystem::picking() const
{
    std::lock_guard guard(m_mutex);
    return static_cast<bool>(m_picked);
}

bool SimulatedWindowSystem::finishPick(std::optional<WindowHandle> window)
{
    std::function<void(std::optional<WindowFacts>)> picked;
    std::optional<WindowFacts> facts;
    {
        std::lock_guard guard(m_mutex);
        if (!m_picked)
            return false;
        picked = std::exchange(m_picked, nullptr);
        if (window) {
            if (SimulatedWindow* found = find(*window))
                facts = found->facts;
        }
    }
    picked(facts);
    return true;
}

} // namespace quorvane
