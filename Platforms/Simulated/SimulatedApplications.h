#pragma once

#include "QuorvaneApp/Platform/Applications.h"

#include <map>

namespace quorvane {

class MainLoop;
class SimulatedWindowSystem;

// Running and installed applications of the simulated desktop. The application in front is the owner of
// the focused window.
class SimulatedApplications : public Applications {
public:
    SimulatedApplications(MainLoop&, SimulatedWindowSystem&);

    // Starts an application; a pid of 0 gets the next free one. Gives its pid.
    int32_t launch(RunningApplication);
    // Makes `locate` find the application at `location`, and `open` of that location launch it.
    void install(const std::string& bundleIdentifier, const std::string& location);
    // The application quits: it and its windows are gone and the quit handler is posted.
    void terminate(int32_t pid);
    // Every location `open` was given, in order.
    const std::vector<std::string>& opened() const { return m_opened; }
    const std::vector<int32_t>& activations() const { return m_activations; }
    // Every address `openURL` was given, in order.
    const std::vector<std::string>& openedURLs() const { return m_openedURLs; }
    // One script run in a terminal: the script and the terminal's location, if one was given.
    struct TerminalRun {
        std::string script;
        std::optional<std::string> terminalLocation;

        friend bool operator==(const TerminalRun&, const TerminalRun&) = default;
    };
    const std::vector<TerminalRun>& terminalRuns() const { return m_terminalRuns; }
    // With false, no terminal starts: `openInTerminal` records nothing and fails.
    void setTerminalStarts(bool starts) { m_terminalStarts = starts; }

    std::vector<RunningApplication> running() override;
    std::optional<RunningApplication> frontmost() override;
    void activate(int32_t pid) override;
    void hide(int32_t pid) override;
    std::optional<std::string> locate(const std::string& bundleIdentifier) override;
    // Each installed application, named by its identifier.
    std::vector<InstalledApplication> installed() override;
    bool open(const std::string& location) override;
    bool openInTerminal(const std::string& script, const std::optional<std::string>& terminalLocation) override;
    // Records the address; a browser always answers.
    bool openURL(const std::string& url) override;
    void setQuitHandler(std::function<void(const RunningApplication&)>) override;
    // Whether a quit handler is set.
    bool watchingQuits() const { return bool(m_quitHandler); }
    int32_t ownPid() override { return 1; }

private:
    RunningApplication* find(int32_t pid);

    MainLoop& m_loop;
    SimulatedWindowSystem& m_windows;
    std::vector<RunningApplication> m_running;
    std::map<std::string, std::string> m_installed;
    std::vector<std::string> m_opened;
    std::vector<std::string> m_openedURLs;
    std::vector<int32_t> m_activations;
    std::vector<TerminalRun> m_terminalRuns;
    bool m_terminalStarts = true;
    int32_t m_nextPid = 100;
    std::function<void(const RunningApplication&)> m_quitHandler;
};

} // namespace quorvane
