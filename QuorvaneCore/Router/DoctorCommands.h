#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The `doctor` command.
namespace quorvane::CommandRouter {

// The configuration's checks, then the controller's permission checks or a note that none runs.
CommandOutput doctor(const ConfigFile&, const CommandContext&);

} // namespace quorvane::CommandRouter
