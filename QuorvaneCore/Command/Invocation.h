#pragma once

#include "Command/Command.h"

#include <optional>
#include <string>

namespace quorvane {

// A parsed command line: the global settings and the one command.
struct Invocation {
    bool json = false;
    bool yes = false;
    std::optional<std::string> configPath;
    double timeout = 5.0;
    Command command;

    friend bool operator==(const Invocation&, const Invocation&) = default;
};

} // namespace quorvane
