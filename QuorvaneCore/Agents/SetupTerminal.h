#pragma once

#include <string>

namespace quorvane {

// A terminal application the agent command can open in.
struct SetupTerminal {
    std::string name;
    std::string bundleIdentifier;

    friend bool operator==(const SetupTerminal&, const SetupTerminal&) = default;
};

} // namespace quorvane
