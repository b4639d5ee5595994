#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The rule commands: `rule add` and `rule remove`.
namespace quorvane::CommandRouter {

// Records where the target's windows open.
CommandOutput ruleAdd(const Command::RuleAdd&, ConfigFile&, const CommandContext&);
// Forgets where the target's windows open.
CommandOutput ruleRemove(const Command::RuleRemove&, ConfigFile&, const CommandContext&);

} // namespace quorvane::CommandRouter
