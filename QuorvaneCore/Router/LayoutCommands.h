#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The layout commands: `layout save`, `layout apply` and `layout list`.
namespace quorvane::CommandRouter {

// Records the current windows as a layout through the controller.
CommandOutput layoutSave(const Command::LayoutSave&, ConfigFile&, const CommandContext&);
// Puts the windows where a configured layout says through the controller.
CommandOutput layoutApply(const Command::LayoutApply&, const ConfigFile&, const CommandContext&);
// One line and one row per configured layout.
CommandOutput layoutList(const ConfigFile&);

} // namespace quorvane::CommandRouter
