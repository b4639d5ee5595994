#include "Configuration/QuorvanePaths.h"

namespace quorvane::QuorvanePaths {

std::string configDirectory(const std::string& home)
{
    return home + "/.config/quorvane";
}

std::string configFile(const std::string& home)
{
    return configDirectory(home) + "/config.toml";
}

std::string applicationSupport(const std::string& home)
{
    return home + "/Library/Application Support/Quorvane";
}

std::string socketFile(const std::string& home)
{
    return applicationSupport(home) + "/quorvane.sock";
}

std::string fallbackSocketFile(const std::string& home)
{
    return configDirectory(home) + "/quorvane.sock";
}

std::string resolvedSocketFile(const std::string& home, std::size_t pathLimit)
{
    auto primary = socketFile(home);
    if (primary.size() <= pathLimit)
        return primary;
    return fallbackSocketFile(home);
}

std::string commandFile(const std::string& home)
{
    return applicationSupport(home) + "/agent.command";
}

std::string updateStampFile(const std::string& home)
{
    return applicationSupport(home) + "/update-check.json";
}

std::string accessibilityGrantFile(const std::string& home)
{
    return applicationSupport(home) + "/accessibility-grant.txt";
}

std::string appsDirectory(const std::string& home)
{
    return home + "/Applications/Quorvane Apps";
}

std::vector<std::string> preferredCLILinks(const std::string& home)
{
    return { "/usr/local/bin/quorvane", home + "/.local/bin/quorvane" };
}

} // namespace quorvane::QuorvanePaths
