#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The configuration commands: `config show` and `apply`.
namespace quorvane::CommandRouter {

// The file's whole text.
CommandOutput configShow(const ConfigFile&);
// Re-creates what the configured web apps are missing on disk; every failure is reported at the end.
CommandOutput reconcile(const ConfigFile&, const CommandContext&);

} // namespace quorvane::CommandRouter
