#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quorvane::test {

ChildProcess::ChildProcess(const std::vector<std::string>& command,
    const std::map<std::string, std::string>& environment, const std::string& log, int keepOpen)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const char* output = log.empty() ? "/dev/null" : log.c_str();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output, O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // The one descriptor the child reports through (Xvfb's -displayfd) must survive exec.
    if (keepOpen >= 0)
        posix_spawn_file_actions_adddup2(&actions, keepOpen, keepOpen);
    std::vector<std::string> variables;
    for (const auto& [name, value] : environment)
        variables.push_back(name + "=" + value);
    std::vector<char*> arguments, envp;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    int started = posix_spawnp(&m_pid, command.front().c_str(), &actions, nullptr, arguments.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        throw std::runtime_error("cannot start " + command.front());
}

ChildProcess::~ChildProcess()
{
    stop();
}

int ChildProcess::waitForExit(double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!m_ended) {
        int status = 0;
        pid_t result = ::waitpid(m_pid, &status, WNOHANG);
        if (result == m_pid) {
            m_ended = true;
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        } else if (result < 0 && errno != EINTR) {
            m_ended = true;
        } else if (std::chrono::steady_clock::now() >= deadline) {
            return -1;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return m_status;
}

int ChildProcess::stop()
{
    if (m_ended || m_pid <= 0)
        return m_status;
    ::kill(m_pid, SIGTERM);
    if (waitForExit(5) == -1 && !m_ended) {
        ::kill(m_pid, SIGKILL);
        waitForExit(5);
    }
    return m_status;
}

} // namespace quorvane::test
