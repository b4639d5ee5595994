#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The agent skill commands: `skill paths`, `skill install` and `skill uninstall`.
namespace quorvane::CommandRouter {

// One line and one row per folder where agents look for skills, found or missing.
CommandOutput skillPaths(const ConfigFile&, const CommandContext&);
// Writes the skill into a folder and records the folder.
CommandOutput skillInstall(const Command::SkillInstall&, ConfigFile&, const CommandContext&);
// Removes the skill from a folder and forgets the folder.
CommandOutput skillUninstall(const Command::SkillUninstall&, ConfigFile&, const CommandContext&);

} // namespace quorvane::CommandRouter
