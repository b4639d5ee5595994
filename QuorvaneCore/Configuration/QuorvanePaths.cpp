#include "Configuration/QuorvanePaths.h"

#include <algorithm>
#include <cstdlib>

namespace quorvane {

namespace {

// `value` without trailing slashes when it is an absolute path; else empty.
std::string absoluteFolder(std::string value)
{
    if (!value.starts_with('/'))
        return "";
    while (value.size() > 1 && value.back() == '/')
        value.pop_back();
    return value;
}

// A base directory the variable names, or empty: only absolute paths count.
std::string baseDirectory(const QuorvanePaths::Lookup& lookup, std::string_view name)
{
    std::optional<std::string> value = lookup(name);
    return value ? absoluteFolder(std::move(*value)) : "";
}

std::vector<std::string> dataFolders(const QuorvanePaths::Lookup& lookup)
{
    std::vector<std::string> folders;
    std::string value = lookup("XDG_DATA_DIRS").value_or("");
    std::string_view list = value;
    while (!list.empty()) {
        size_t colon = std::min(list.find(':'), list.size());
        std::string folder = absoluteFolder(std::string(list.substr(0, colon)));
        list.remove_prefix(std::min(colon + 1, list.size()));
        if (!folder.empty())
            folders.push_back(std::move(folder));
    }
    if (folders.empty())
        folders = { "/usr/local/share", "/usr/share" };
    return folders;
}

std::string orElse(const std::string& base, const std::string& fallback)
{
    return base.empty() ? fallback : base;
}

} // namespace

QuorvanePaths QuorvanePaths::fromEnvironment(std::string home, const Lookup& lookup)
{
    return { std::move(home), baseDirectory(lookup, "XDG_CONFIG_HOME"), baseDirectory(lookup, "XDG_DATA_HOME"),
        baseDirectory(lookup, "XDG_RUNTIME_DIR"), baseDirectory(lookup, "XDG_CACHE_HOME"), dataFolders(lookup) };
}

QuorvanePaths QuorvanePaths::fromEnvironment(std::string home)
{
    return fromEnvironment(std::move(home), [](std::string_view name) -> std::optional<std::string> {
        const char* value = std::getenv(std::string(name).c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    });
}

std::string QuorvanePaths::configDirectory() const
{
    return orElse(configHome, home + "/.config") + "/quorvane";
}

std::string QuorvanePaths::configFile() const
{
    return configDirectory() + "/config.toml";
}

std::string QuorvanePaths::applicationSupport() const
{
    return orElse(dataHome, home + "/.local/share") + "/quorvane";
}

std::string QuorvanePaths::socketFile() const
{
    if (runtimeDirectory.empty())
        return applicationSupport() + "/quorvane.sock";
    return runtimeDirectory + "/quorvane/quorvane.sock";
}

std::string QuorvanePaths::fallbackSocketFile() const
{
    return configDirectory() + "/quorvane.sock";
}

std::string QuorvanePaths::resolvedSocketFile(std::size_t pathLimit) const
{
    std::string primary = socketFile();
    if (primary.size() <= pathLimit)
        return primary;
    return fallbackSocketFile();
}

std::string QuorvanePaths::commandFile() const
{
    return configDirectory() + "/agent.command";
}

std::string QuorvanePaths::updateStampFile() const
{
    return applicationSupport() + "/update-check.json";
}

std::string QuorvanePaths::accessibilityGrantFile() const
{
    return applicationSupport() + "/accessibility-grant.txt";
}

std::string QuorvanePaths::appsDirectory() const
{
    return applicationSupport() + "/apps";
}

std::string QuorvanePaths::desktopEntriesDirectory() const
{
    return orElse(dataHome, home + "/.local/share") + "/applications";
}

std::vector<std::string> QuorvanePaths::applicationDirectories() const
{
    std::vector<std::string> folders { desktopEntriesDirectory() };
    for (const std::string& folder : dataDirectories)
        folders.push_back(folder + "/applications");
    return folders;
}

std::string QuorvanePaths::iconThemeDirectory() const
{
    return orElse(dataHome, home + "/.local/share") + "/icons/hicolor";
}

std::string QuorvanePaths::cacheDirectory() const
{
    return orElse(cacheHome, home + "/.cache") + "/quorvane";
}

std::string QuorvanePaths::autostartDirectory() const
{
    return orElse(configHome, home + "/.config") + "/autostart";
}

std::vector<std::string> QuorvanePaths::preferredCLILinks() const
{
    return { "/usr/local/bin/quorvane", home + "/.local/bin/quorvane" };
}

} // namespace quorvane
