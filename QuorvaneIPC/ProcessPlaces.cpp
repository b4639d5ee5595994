#include "QuorvaneIPC/ProcessPlaces.h"

#include "Configuration/QuorvanePaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace quorvane::ProcessPlaces {

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

} // namespace

QuorvanePaths paths()
{
    return QuorvanePaths::fromEnvironment(homeFolder());
}

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

} // namespace quorvane::ProcessPlaces
