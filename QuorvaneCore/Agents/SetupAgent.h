#pragma once

#include <string>

namespace quorvane {

// A coding agent: its name and its command (the executable's name, or its full path once found).
struct SetupAgent {
    std::string name;
    std::string command;

    friend bool operator==(const SetupAgent&, const SetupAgent&) = default;
};

} // namespace quorvane
