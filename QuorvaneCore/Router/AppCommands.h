#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The web-app commands: `app add`, `app remove` and `app list`.
namespace quorvane::CommandRouter {

// Validates, records and installs a new web app: its bundle and its desktop entry.
CommandOutput appAdd(const Command::AppAdd&, ConfigFile&, const CommandContext&);
// Forgets a web app and deletes its bundle and desktop entry.
CommandOutput appRemove(const Command::AppRemove&, ConfigFile&, const CommandContext&);
// One line and one row per configured web app.
CommandOutput appList(const ConfigFile&);

} // namespace quorvane::CommandRouter
