#pragma once

#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/WindowHandle.h"

#include <set>
#include <utility>

namespace quorvane {

class MainLoop;
class WindowSystem;

// Applications of a Linux desktop as seen through their windows and desktop files: the window system knows
// windows, not programs, and GIO knows the desktop entries that launch them.
class DesktopApplications : public Applications {
public:
    // `minimize` asks the desktop to minimise one window.
    DesktopApplications(WindowSystem&, MainLoop&, std::function<void(WindowHandle)> minimize);
    ~DesktopApplications() override;

    // The applications with windows on the current desktop, front-most window first.
    std::vector<RunningApplication> running() override;
    std::optional<RunningApplication> frontmost() override;
    void activate(int32_t pid) override;
    void hide(int32_t pid) override;
    std::optional<std::string> locate(const std::string& bundleIdentifier) override;
    // The desktop entries that ask to be shown in menus.
    std::vector<InstalledApplication> installed() override;
    // A desktop entry is launched through GIO; any other executable file is started as it is.
    bool open(const std::string& location) override;
    // Runs the script with the terminal catalogue's words for the entry's desktop id, else with
    // x-terminal-emulator.
    bool openInTerminal(const std::string& script, const std::optional<std::string>& terminalLocation) override;
    // Through GIO's default handler for the address's scheme.
    bool openURL(const std::string& url) override;
    // An application quits when the last window of its id and process leaves the window list and the
    // process is gone; looked for every second while a handler is set.
    void setQuitHandler(std::function<void(const RunningApplication&)> handler) override;
    int32_t ownPid() override;

private:
    void lookForQuits();

    WindowSystem& m_windows;
    MainLoop& m_mainLoop;
    std::function<void(WindowHandle)> m_minimize;
    std::function<void(const RunningApplication&)> m_quitHandler;
    uint64_t m_quitTimer = 0;
    // (id, pid) of the applications with windows at the last look, and of those whose windows have gone
    // while their process still runs.
    std::set<std::pair<std::string, int32_t>> m_seen;
    std::set<std::pair<std::string, int32_t>> m_leaving;
};

} // namespace quorvane
