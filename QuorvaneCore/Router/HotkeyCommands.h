#pragma once

#include "Command/Command.h"
#include "Router/CommandRouter.h"

// The hotkey commands: `hotkey set`, `hotkey unset` and `hotkey list`.
namespace quorvane::CommandRouter {

// Gives a chord to a web app or to an application by its identifier.
CommandOutput hotkeySet(const Command::HotkeySet&, ConfigFile&, const CommandContext&);
// Takes a chord from every web app and application that holds it.
CommandOutput hotkeyUnset(const Command::HotkeyUnset&, ConfigFile&);
// One line and one row per hotkey the configuration adds to the built-in ones.
CommandOutput hotkeyList(const ConfigFile&);

} // namespace quorvane::CommandRouter
