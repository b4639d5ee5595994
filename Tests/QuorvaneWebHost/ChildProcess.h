#pragma once

#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quorvane::test {

// A program started by a test with an environment of its own, stopped by its process id.
class ChildProcess {
public:
    // Starts `command` (the program's path first) with exactly `environment`; standard output and error
    // go to `log` (appended) or, when it is empty, to the null device.
    ChildProcess(const std::vector<std::string>& command, const std::map<std::string, std::string>& environment,
        const std::string& log = "", int keepOpen = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // The exit status after the process ended within `seconds`, or -1 when it is still running.
    int waitForExit(double seconds);
    // Sends SIGTERM, waits up to five seconds, then SIGKILL; the exit status, or -1 after a kill.
    int stop();

private:
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = -1;
};

} // namespace quorvane::test
