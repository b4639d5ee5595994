#pragma once

#include "Command/Command.h"

namespace quorvane {

class ConfigFile;
struct CommandContext;
struct CommandOutput;

// The configuration commands: `config show` and `apply`.
namespace CommandRouter {

// The file's whole text.
CommandOutput configShow(const ConfigFile&);
// Re-creates what the configured web apps are missing on disk; every failure is reported at the end.
CommandOutput reconcile(const ConfigFile&, const CommandContext&);

} // namespace CommandRouter

} // namespace quorvane
