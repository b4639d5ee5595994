#pragma once

#include "Command/Command.h"

namespace quorvane {

class ConfigFile;
struct CommandContext;
struct CommandOutput;

// The rule commands: `rule add` and `rule remove`.
namespace CommandRouter {

// Records where the target's windows open.
CommandOutput ruleAdd(const Command::RuleAdd&, ConfigFile&, const CommandContext&);
// Forgets where the target's windows open.
CommandOutput ruleRemove(const Command::RuleRemove&, ConfigFile&, const CommandContext&);

} // namespace CommandRouter

} // namespace quorvane
