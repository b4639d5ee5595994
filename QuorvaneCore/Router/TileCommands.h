#pragma once

#include "Command/Command.h"

namespace quorvane {

class ConfigFile;
struct CommandContext;
struct CommandOutput;

// The `tile` command.
namespace CommandRouter {

// Moves the target's window to a tile through the controller.
CommandOutput tile(const Command::Tile&, const ConfigFile&, const CommandContext&);

} // namespace CommandRouter

} // namespace quorvane
