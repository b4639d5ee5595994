#pragma once

#include "Configuration/QuorvanePaths.h"
#include "Support/SessionResult.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class QuorvaneControlling;

namespace QuorvaneSession {

// The socket path limit both the tool and the application resolve with.
inline constexpr std::size_t socketPathLimit = 103;

// One whole `quorvane` command: parses `arguments`, forwards them to the running application when its
// socket file exists (and neither `--config` nor `controller` is given) or runs them against the config
// file itself, and returns what to print and the exit status. Prints nothing and never throws.
// `paths` names the config file and the socket; `socketPath` overrides that socket; `now` is seconds since 1970.
SessionResult run(const std::vector<std::string>& arguments, const QuorvanePaths& paths,
    const std::optional<std::string>& hostBinary, bool interactive, QuorvaneControlling* controller,
    const std::optional<std::string>& socketPath, double now);

} // namespace QuorvaneSession

} // namespace quorvane
