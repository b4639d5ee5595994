#pragma once

#include "Command/Command.h"

namespace quorvane {

class ConfigFile;
struct CommandContext;
struct CommandOutput;

// The `doctor` command.
namespace CommandRouter {

// The configuration's checks, then the controller's permission checks or a note that none runs.
CommandOutput doctor(const ConfigFile&, const CommandContext&);

} // namespace CommandRouter

} // namespace quorvane
