#pragma once

#include "Configuration/QuorvanePaths.h"
#include "QuorvaneNet/QuietSession.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// What the application learns from its process at start-up, and the few services that are not part of a
// desktop: the icon download, the release feed and where banner lines are logged.
struct AppEnvironment {
    // Fetches the best icon of the site at `url` within `seconds`; nothing when there is none or time runs out.
    // Called on the socket thread, never on the main thread.
    using IconFetch = std::function<std::optional<std::string>(const std::string& url, double seconds)>;

    // The home folder and the XDG places in force, read once from the process's environment.
    QuorvanePaths paths;
    // The socket to listen on instead of the one resolved from `paths`.
    std::optional<std::string> socketPath;
    // The text of QUORVANE_SETUP_STEP when it is set.
    std::optional<std::string> setupStep;
    // The web host written into generated bundles.
    std::optional<std::string> hostBinary;
    // Where this installation's `quorvane` command may be, first choice first.
    std::vector<std::string> cliCommands;
    // The PATH the person's shells search.
    std::string searchPath;
    // Where the command is linked into the PATH, first choice first; empty: the usual places of `paths`.
    std::vector<std::string> cliLinks;
    // The build string of this installation, when the package names one.
    std::optional<std::string> bundleVersion;
    IconFetch fetchIcon = [](const std::string&, double) { return std::nullopt; };
    // The release feed checked for new versions; none: updates come from the package manager, and the menu
    // offers no check.
    std::optional<std::string> updateFeed;
    // The limits of the feed's fetch.
    QuietSession::Limits fetchLimits;
    // Receives every banner the model sets, as one line; standard error by default.
    std::function<void(const std::string& line)> logLine;
    // Seconds since 1970, for commands and for naming kept copies of broken files.
    std::function<double()> wallClock;
};

} // namespace quorvane
