#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorvane {

// Every file and folder the programs use, as plain concatenation onto the home folder.
namespace QuorvanePaths {

// The longest socket path, in UTF-8 bytes, that the tool and the application use: with its terminating zero
// byte it fits the 104-byte path field of a local socket address on every platform.
inline constexpr std::size_t socketPathLimit = 103;

// home + "/.config/quorvane"
std::string configDirectory(const std::string& home);
// home + "/.config/quorvane/config.toml"
std::string configFile(const std::string& home);
// home + "/Library/Application Support/Quorvane"
std::string applicationSupport(const std::string& home);
// The socket in the application-support folder.
std::string socketFile(const std::string& home);
// The socket in the config folder, for homes whose primary socket path is too long.
std::string fallbackSocketFile(const std::string& home);
// `socketFile` when it is at most `pathLimit` UTF-8 bytes long, else `fallbackSocketFile`.
std::string resolvedSocketFile(const std::string& home, std::size_t pathLimit);
// The agent launcher script.
std::string commandFile(const std::string& home);
// When the application last checked for updates.
std::string updateStampFile(const std::string& home);
// Which build was last granted Accessibility.
std::string accessibilityGrantFile(const std::string& home);
// home + "/Applications/Quorvane Apps"
std::string appsDirectory(const std::string& home);
// Where the command-line tool is linked, in order of preference.
std::vector<std::string> preferredCLILinks(const std::string& home);

} // namespace QuorvanePaths

} // namespace quorvane
