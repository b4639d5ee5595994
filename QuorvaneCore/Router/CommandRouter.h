#pragma once

namespace quorvane {

class ConfigFile;
struct CommandContext;
struct CommandOutput;
struct Invocation;

namespace CommandRouter {

// Carries out one parsed command against `file` and `context`. Never throws: a failure becomes an
// output with its exit code, its message and the payload {"code": …}. Edits made before a failure stay
// in `file`; the caller decides whether to save.
CommandOutput run(const Invocation&, ConfigFile& file, const CommandContext&);
// The same for a command that cannot change the configuration (`Command::changesConfig()` false), against
// the file as it stands; a changing command fails without touching it.
CommandOutput runReadOnly(const Invocation&, const ConfigFile& file, const CommandContext&);

} // namespace CommandRouter

} // namespace quorvane
