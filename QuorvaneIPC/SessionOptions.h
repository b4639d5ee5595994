#pragma once

#include "Configuration/QuorvanePaths.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class QuorvaneControlling;

// Everything one `quorvane` command runs with, gathered from the process by the tool or set by a caller.
struct SessionOptions {
    // The words after the program name.
    std::vector<std::string> arguments;
    // The home folder and the XDG places in force.
    QuorvanePaths paths;
    // The web-host executable that generated web apps launch.
    std::optional<std::string> hostBinary;
    // Whether a person is at the terminal to answer a confirmation question.
    bool interactive = false;
    // Live window control; absent in the tool, not owned.
    QuorvaneControlling* controller = nullptr;
    // Overrides the socket resolved from `paths`.
    std::optional<std::string> socketPath;
    // Seconds since 1970.
    double now = 0;
    // The release feed this installation checks, for `doctor`; absent: the package manager brings updates.
    std::optional<std::string> updateFeed;
};

} // namespace quorvane
