#include "Platforms/Simulated/SimulatedApplications.h"

#include "Platforms/Simulated/SimulatedMainLoop.h"
#include "Platforms/Simulated/SimulatedWindowSystem.h"

#include <algorithm>

namespace quorvane {

SimulatedApplications::SimulatedApplications(MainLoop& loop, SimulatedWindowSystem& windows)
    : m_loop(loop)
    , m_windows(windows)
{
}

int32_t SimulatedApplications::launch(RunningApplication application)
{
    if (application.pid == 0)
        application.pid = m_nextPid++;
    m_nextPid = std::max(m_nextPid, application.pid + 1);
    m_running.push_back(application);
    return application.pid;
}

void SimulatedApplications::install(const std::string& bundleIdentifier, const std::string& location)
{
    m_installed[bundleIdentifier] = location;
}

std::vector<InstalledApplication> SimulatedApplications::installed()
{
    std::vector<InstalledApplication> found;
    for (const auto& [identifier, location] : m_installed)
        found.push_back({ identifier, identifier });
    return found;
}

void SimulatedApplications::terminate(int32_t pid)
{
    RunningApplication* application = find(pid);
    if (!application)
        return;
    RunningApplication gone = *application;
    std::erase_if(m_running, [&](const RunningApplication& running) { return running.pid == pid; });
    for (WindowHandle handle : m_windows.windowsOf(pid))
        m_windows.removeWindow(handle);
    if (m_quitHandler)
        m_loop.post([this, gone] {
            if (auto handler = m_quitHandler)
                handler(gone);
        });
}

RunningApplication* SimulatedApplications::find(int32_t pid)
{
    auto found = std::find_if(m_running.begin(), m_running.end(),
        [&](const RunningApplication& application) { return application.pid == pid; });
    return found == m_running.end() ? nullptr : &*found;
}

std::vector<RunningApplication> SimulatedApplications::running()
{
    return m_running;
}

std::optional<RunningApplication> SimulatedApplications::frontmost()
{
    std::optional<WindowFacts> focused = m_windows.focusedWindow();
    RunningApplication* application = focused ? find(focused->pid) : nullptr;
    return application ? std::optional(*application) : std::nullopt;
}

void SimulatedApplications::activate(int32_t pid)
{
    RunningApplication* application = find(pid);
    if (!application)
        return;
    m_activations.push_back(pid);
    application->hidden = false;
    for (WindowHandle handle : m_windows.windowsOf(pid))
        m_windows.update(handle, [](SimulatedWindow& window) { window.onScreen = true; });
    if (std::optional<WindowHandle> front = m_windows.frontWindowOf(pid))
        m_windows.focus(front);
}

void SimulatedApplications::hide(int32_t pid)
{
    RunningApplication* application = find(pid);
    if (!application)
        return;
    application->hidden = true;
    for (WindowHandle handle : m_windows.windowsOf(pid))
        m_windows.update(handle, [](SimulatedWindow& window) { window.onScreen = false; });
    std::optional<WindowFacts> focused = m_windows.focusedWindow();
    if (focused && focused->pid == pid)
        m_windows.focus(std::nullopt);
}

std::optional<std::string> SimulatedApplications::locate(const std::string& bundleIdentifier)
{
    auto found = m_installed.find(bundleIdentifier);
    return found == m_installed.end() ? std::nullopt : std::optional(found->second);
}

bool SimulatedApplications::open(const std::string& location)
{
    m_opened.push_back(location);
    auto installed = std::find_if(
        m_installed.begin(), m_installed.end(), [&](const auto& entry) { return entry.second == location; });
    if (installed == m_installed.end())
        return false;
    auto running = std::find_if(m_running.begin(), m_running.end(),
        [&](const RunningApplication& application) { return application.bundleIdentifier == installed->first; });
    if (running != m_running.end())
        activate(running->pid);
    else
        launch(RunningApplication { installed->first, 0, installed->first, true, false });
    return true;
}

bool SimulatedApplications::openInTerminal(
    const std::string& script, const std::optional<std::string>& terminalLocation)
{
    if (!m_terminalStarts)
        return false;
    m_terminalRuns.push_back(TerminalRun { script, terminalLocation });
    return true;
}

bool SimulatedApplications::openURL(const std::string& url)
{
    m_openedURLs.push_back(url);
    return true;
}

void SimulatedApplications::setQuitHandler(std::function<void(const RunningApplication&)> handler)
{
    m_quitHandler = std::move(handler);
}

} // namespace quorvane
