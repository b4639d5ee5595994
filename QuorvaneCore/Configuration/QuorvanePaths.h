#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Every file and folder the programs use: the home folder and the XDG base directories in force, and
// the places built from them by plain concatenation. Each executable reads its environment once and
// passes the value on, so the tool and the application agree on every path.
struct QuorvanePaths {
    // Looks one environment variable up; nothing when it is not set.
    using Lookup = std::function<std::optional<std::string>(std::string_view name)>;

    std::string home;
    // $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_RUNTIME_DIR and $XDG_CACHE_HOME; empty when unset.
    std::string configHome;
    std::string dataHome;
    std::string runtimeDirectory;
    std::string cacheHome;

    // The longest socket path, in UTF-8 bytes, that the tool and the application use: with its terminating
    // zero byte it fits the 104-byte path field of a local socket address on every platform.
    static constexpr std::size_t socketPathLimit = 103;

    // The places for `home` under the variables `lookup` gives. An empty or relative value counts as
    // unset; trailing slashes are dropped.
    static QuorvanePaths fromEnvironment(std::string home, const Lookup& lookup);
    // The same, reading this process's environment.
    static QuorvanePaths fromEnvironment(std::string home);

    // $XDG_CONFIG_HOME/quorvane, else home + "/.config/quorvane"
    std::string configDirectory() const;
    // configDirectory + "/config.toml"
    std::string configFile() const;
    // $XDG_DATA_HOME/quorvane, else home + "/.local/share/quorvane"
    std::string applicationSupport() const;
    // $XDG_RUNTIME_DIR/quorvane/quorvane.sock, else the socket in the application-support folder.
    std::string socketFile() const;
    // The socket in the config folder, for when the primary socket path is too long.
    std::string fallbackSocketFile() const;
    // `socketFile` when it is at most `pathLimit` UTF-8 bytes long, else `fallbackSocketFile`.
    std::string resolvedSocketFile(std::size_t pathLimit) const;
    // The agent launcher script, in the config folder.
    std::string commandFile() const;
    // When the application last checked for updates.
    std::string updateStampFile() const;
    // Which build was last granted window control.
    std::string accessibilityGrantFile() const;
    // applicationSupport + "/apps": the generated web-app bundles.
    std::string appsDirectory() const;
    // $XDG_CONFIG_HOME/autostart, else home + "/.config/autostart": the desktop's log-in entries.
    std::string autostartDirectory() const;
    // $XDG_DATA_HOME/applications, else home + "/.local/share/applications": the desktop's launcher entries.
    std::string desktopEntriesDirectory() const;
    // $XDG_DATA_HOME/icons/hicolor, else under home + "/.local/share": the icon theme every desktop reads.
    std::string iconThemeDirectory() const;
    // $XDG_CACHE_HOME/quorvane, else home + "/.cache/quorvane": what can be thrown away, such as web caches.
    std::string cacheDirectory() const;
    // Where the command-line tool is linked, in order of preference.
    std::vector<std::string> preferredCLILinks() const;

    bool operator==(const QuorvanePaths&) const = default;
};

} // namespace quorvane
