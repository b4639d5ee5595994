// The `quorvane` command: gathers the words, the home folder, the XDG places and the terminal, runs the
// session and prints exactly what it returns.
#include "QuorvaneIPC/QuorvaneSession.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string homeFolder()
{
    std::string home;
    if (const char* variable = std::getenv("HOME"); variable && *variable)
        home = variable;
    else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        home = entry->pw_dir;
    while (!home.empty() && home.back() == '/')
        home.pop_back();
    return home;
}

// The web host shipped beside this executable, when there is one.
std::optional<std::string> hostBinary()
{
    std::string executable(4096, '\0');
    ssize_t length = ::readlink("/proc/self/exe", executable.data(), executable.size());
    if (length <= 0 || static_cast<size_t>(length) >= executable.size())
        return std::nullopt;
    executable.resize(static_cast<size_t>(length));
    std::string host = executable.substr(0, executable.rfind('/') + 1) + "QuorvaneWebHost";
    if (::access(host.c_str(), X_OK) != 0)
        return std::nullopt;
    return host;
}

void writeAll(int fd, const std::string& text)
{
    const char* bytes = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(fd, bytes, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        left -= static_cast<size_t>(written);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    quorvane::SessionResult result
        = quorvane::QuorvaneSession::run(arguments, quorvane::QuorvanePaths::fromEnvironment(homeFolder()),
            hostBinary(), ::isatty(STDIN_FILENO) == 1, nullptr, std::nullopt, now);
    writeAll(STDOUT_FILENO, result.stdout);
    writeAll(STDERR_FILENO, result.stderr);
    return result.exitCode;
}
