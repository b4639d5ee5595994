#include "QuorvaneIPC/ProcessPlaces.h"

#include "Configuration/QuorvanePaths.h"
#include "Updates/UpdateFeed.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
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

std::optional<std::string> executable()
{
    std::string path(4096, '\0');
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return std::nullopt;
    path.resize(static_cast<size_t>(length));
    // The kernel marks a file removed since start-up; a package upgrade puts the new one at the same path.
    constexpr std::string_view deleted = " (deleted)";
    if (path.ends_with(deleted))
        path.resize(path.size() - deleted.size());
    return path;
}

std::optional<std::string> executableFolder()
{
    std::optional<std::string> own = executable();
    if (!own)
        return std::nullopt;
    return own->substr(0, own->rfind('/') + 1);
}

std::optional<std::string> hostBinary()
{
    std::optional<std::string> folder = executableFolder();
    if (!folder)
        return std::nullopt;
    for (const std::string& host :
        { *folder + "QuorvaneWebHost", *folder + QUORVANE_INSTALLED_HOST_FOLDER + "/QuorvaneWebHost" }) {
        // A folder of that name passes the access check too, but cannot be copied into a bundle.
        struct stat facts { };
        if (::stat(host.c_str(), &facts) == 0 && S_ISREG(facts.st_mode) && ::access(host.c_str(), X_OK) == 0)
            return std::filesystem::path(host).lexically_normal().string();
    }
    return std::nullopt;
}

std::optional<std::string> updateFeed()
{
    const char* value = std::getenv(UpdateFeed::environmentVariable);
    return UpdateFeed::address(value ? std::optional<std::string_view>(value) : std::nullopt);
}

} // namespace quorvane::ProcessPlaces
