#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quorvane::test {

// A program of the build or the system started for a test: its standard input is a pipe held open (test
// windows quit when it closes) and its standard output can be read line by line. Stopped when it goes.
class ChildProcess {
public:
    // Starts `arguments` (the first found on PATH when it has no slash) with `environment` added to ours;
    // with `withErrors` its standard error joins the output.
    explicit ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
        bool withErrors = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // The next line of output, without its newline; none at the end of output or after `seconds`.
    std::optional<std::string> readLine(double seconds = 10);
    // Closes standard input, and waits for the exit status (killing the process after `seconds`).
    int finish(double seconds = 5);
    void signal(int number);

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    std::string m_buffer;
    std::optional<int> m_status;
};

// The private desktop of scripts/virtual-desktop.sh, its environment applied to this process (DISPLAY,
// HOME, XDG folders, the session bus) so that everything started from here runs on it.
class VirtualDesktop {
public:
    VirtualDesktop();
    ~VirtualDesktop();
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    const std::string& folder() const { return m_folder; }
    pid_t windowManager() const { return m_windowManager; }

private:
    std::string m_environmentFile;
    std::string m_folder;
    pid_t m_windowManager = 0;
};

// A program built beside the tests ("app/quorvane-app").
std::string builtProgram(const std::string& relativePath);
// A file of the source tree ("scripts/virtual-desktop.sh").
std::string sourceFile(const std::string& relativePath);

// A test window of `quorvane-test-window` with these options, mapped; `id` is its X window id.
struct TestWindow {
    explicit TestWindow(const std::vector<std::string>& options, const std::vector<std::string>& environment = {});
    ChildProcess process;
    uint32_t id = 0;
};

// What a run of a program gave: its exit status and its output with its errors.
struct ToolRun {
    int status = -1;
    std::string output;
};

// Runs `command` (as ChildProcess does) to its end.
ToolRun runProgram(const std::vector<std::string>& command);
// Runs the built `quorvane` with `arguments` to its end.
ToolRun runTool(const std::vector<std::string>& arguments);

// The default configuration with each "key = value" of `lines` in place of the line with that key, and
// `extra` appended.
std::string configWith(const std::vector<std::string>& lines, const std::string& extra = "");
// Makes `text` the config file in one step, as an editor's save does (a running app reloads it).
void writeConfig(const std::string& text);
// Installs a desktop entry `id`.desktop that runs `exec`, in the desktop's own XDG_DATA_HOME.
void installDesktopEntry(const std::string& id, const std::string& exec);
// The built `quorvane-app`, started with `environment` added to ours, once it answers `quorvane ping`.
std::unique_ptr<ChildProcess> startApp(const std::vector<std::string>& environment = {});

// Polls `condition` every 10 ms until it holds or `seconds` have passed; answers whether it held.
bool eventually(const std::function<bool()>& condition, double seconds = 5);

} // namespace quorvane::test
