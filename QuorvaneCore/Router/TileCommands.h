#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The `tile` command.
namespace quorvane::CommandRouter {

// Moves the target's window to a tile through the controller.
CommandOutput tile(const Command::Tile&, const ConfigFile&, const CommandContext&);

} // namespace quorvane::CommandRouter
