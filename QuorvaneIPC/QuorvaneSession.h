#pragma once

#include "Configuration/QuorvanePaths.h"
#include "Support/SessionResult.h"

namespace quorvane {

struct SessionOptions;

namespace QuorvaneSession {

// One whole `quorvane` command: parses the arguments, forwards them to the running application when its
// socket file exists (and neither `--config` nor a controller is given) or runs them against the config
// file itself, and returns what to print and the exit status. Prints nothing and never throws.
SessionResult run(const SessionOptions& options);

} // namespace QuorvaneSession

} // namespace quorvane
