#include "X11/VirtualDesktop.h"

#include "Configuration/DefaultConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "TestSupport/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quorvane::test {

ChildProcess::ChildProcess(
    const std::vector<std::string>& arguments, const std::vector<std::string>& environment, bool withErrors)
{
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    if (withErrors)
        posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);

    std::vector<std::string> variables;
    for (char** variable = environ; *variable; ++variable)
        variables.emplace_back(*variable);
    for (const std::string& added : environment) {
        std::string name = added.substr(0, added.find('=') + 1);
        std::erase_if(variables, [&](const std::string& variable) { return variable.starts_with(name); });
        variables.push_back(added);
    }
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const std::string& variable : variables)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    // Every program is a job of its own, as a shell starts one: its process group has a parent (this process)
    // in another group of the same session, so a stop signal stops it even when the tests themselves run
    // in an orphaned group, where the kernel discards stop signals.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    int failed = ::posix_spawnp(&m_pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    m_input = input[1];
    m_output = output[0];
    if (failed != 0)
        throw std::runtime_error("cannot start " + arguments.front());
}

ChildProcess::~ChildProcess()
{
    finish();
    ::close(m_output);
}

std::optional<std::string> ChildProcess::readLine(double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        if (size_t end = m_buffer.find('\n'); end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd watched { m_output, POLLIN, 0 };
        if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[4096];
        ssize_t count = ::read(m_output, chunk, sizeof chunk);
        if (count <= 0)
            return std::nullopt;
        m_buffer.append(chunk, static_cast<size_t>(count));
    }
}

int ChildProcess::finish(double seconds)
{
    if (m_status)
        return *m_status;
    if (m_input >= 0) {
        ::close(m_input);
        m_input = -1;
    }
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return *m_status;
}

void ChildProcess::signal(int number)
{
    if (!m_status)
        ::kill(m_pid, number);
}

std::string builtProgram(const std::string& relativePath)
{
    return std::string(QUORVANE_BINARY_DIR) + "/" + relativePath;
}

std::string sourceFile(const std::string& relativePath)
{
    return std::string(QUORVANE_SOURCE_DIR) + "/" + relativePath;
}

VirtualDesktop::VirtualDesktop()
{
    std::string script = sourceFile("scripts/virtual-desktop.sh");
    ChildProcess start({ script, "start" });
    while (std::optional<std::string> line = start.readLine(30))
        m_environmentFile = *line;
    if (start.finish(30) != 0 || m_environmentFile.empty())
        throw std::runtime_error("the virtual desktop did not start");
    std::istringstream lines(readFile(m_environmentFile));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("unset ")) {
            ::unsetenv(line.substr(6).c_str());
            continue;
        }
        bool exported = line.starts_with("export ");
        if (exported)
            line.erase(0, 7);
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string name = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
            value = value.substr(1, value.size() - 2);
        if (exported)
            ::setenv(name.c_str(), value.c_str(), 1);
        else if (name == "QUORVANE_DESKTOP_DIR")
            m_folder = value;
        else if (name == "QUORVANE_OPENBOX_PID")
            m_windowManager = static_cast<pid_t>(std::stol(value));
    }
}

VirtualDesktop::~VirtualDesktop()
{
    std::string script = sourceFile("scripts/virtual-desktop.sh");
    ChildProcess stop({ script, "stop", m_environmentFile });
    stop.finish(30);
}

TestWindow::TestWindow(const std::vector<std::string>& options, const std::vector<std::string>& environment)
    : process(
        [&] {
            std::vector<std::string> arguments { builtProgram("Tests/X11TestWindow/quorvane-test-window") };
            arguments.insert(arguments.end(), options.begin(), options.end());
            return arguments;
        }(),
        environment)
{
    std::optional<std::string> line = process.readLine(10);
    if (!line) {
        std::string shown;
        for (const std::string& option : options)
            shown += " " + option;
        throw std::runtime_error("the test window did not appear:" + shown);
    }
    id = static_cast<uint32_t>(std::stoul(*line));
}

ToolRun runProgram(const std::vector<std::string>& command)
{
    ChildProcess program(command, {}, true);
    ToolRun run;
    while (std::optional<std::string> line = program.readLine(20))
        run.output += *line + "\n";
    run.status = program.finish(20);
    return run;
}

ToolRun runTool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command { builtProgram("cli/quorvane") };
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProgram(command);
}

std::string configWith(const std::vector<std::string>& lines, const std::string& extra)
{
    std::string text(DefaultConfig::text());
    for (const std::string& line : lines) {
        std::string key = line.substr(0, line.find(" = "));
        size_t start = text.find("\n" + key + " = ");
        if (start == std::string::npos)
            throw std::runtime_error("the default config has no setting " + key);
        size_t end = text.find('\n', start + 1);
        text.replace(start + 1, end - start - 1, line);
    }
    return text + extra;
}

void writeConfig(const std::string& text)
{
    QuorvanePaths paths = ProcessPlaces::paths();
    std::filesystem::create_directories(paths.configDirectory());
    std::string temporary = paths.configDirectory() + "/.config.toml.edit";
    writeFile(temporary, text);
    std::filesystem::rename(temporary, paths.configFile());
}

void installDesktopEntry(const std::string& id, const std::string& exec)
{
    std::string folder = std::string(std::getenv("XDG_DATA_HOME")) + "/applications";
    std::filesystem::create_directories(folder);
    writeFile(
        folder + "/" + id + ".desktop", "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + exec + "\n");
}

std::unique_ptr<ChildProcess> startApp(const std::vector<std::string>& environment)
{
    auto app
        = std::make_unique<ChildProcess>(std::vector<std::string> { builtProgram("app/quorvane-app") }, environment);
    if (!eventually([] { return runTool({ "ping" }).status == 0; }, 20))
        throw std::runtime_error("quorvane-app did not answer");
    return app;
}

bool eventually(const std::function<bool()>& condition, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace quorvane::test
