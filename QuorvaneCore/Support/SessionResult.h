#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// What one run of the command line prints and the status it exits with.
struct SessionResult {
    int32_t exitCode = 0;
    // Named so, because `stdout` and `stderr` are macros in some C libraries.
    std::string standardOutput;
    std::string standardError;

    friend bool operator==(const SessionResult&, const SessionResult&) = default;
};

} // namespace quorvane
