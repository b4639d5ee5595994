#pragma once

#include "Command/Command.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// Where a word that names a file or folder stands among the command line's words: its index, and where the
// path starts in it (after "--icon=", say).
struct PathWord {
    size_t index = 0;
    size_t offset = 0;

    friend bool operator==(const PathWord&, const PathWord&) = default;
};

// A parsed command line: the global settings and the one command.
struct Invocation {
    bool json = false;
    bool yes = false;
    std::optional<std::string> configPath;
    double timeout = 5.0;
    Command command;
    // The words the command reads as paths of files or folders (`--config` aside).
    std::vector<PathWord> pathWords;

    friend bool operator==(const Invocation&, const Invocation&) = default;
};

} // namespace quorvane
