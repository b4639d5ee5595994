#pragma once

#include "Command/Command.h"

namespace quorvane {

class ConfigFile;
struct CommandContext;
struct CommandOutput;

// The agent skill commands: `skill paths`, `skill install` and `skill uninstall`.
namespace CommandRouter {

// One line and one row per folder where agents look for skills, found or missing.
CommandOutput skillPaths(const ConfigFile&, const CommandContext&);
// Writes the skill into a folder and records the folder.
CommandOutput skillInstall(const Command::SkillInstall&, ConfigFile&, const CommandContext&);
// Removes the skill from a folder and forgets the folder.
CommandOutput skillUninstall(const Command::SkillUninstall&, ConfigFile&, const CommandContext&);

} // namespace CommandRouter

} // namespace quorvane
