#pragma once

#include "Agents/SetupAgent.h"
#include "Agents/SetupTerminal.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The agents and terminals the first-run guide offers, and which of them this machine has.
namespace SetupChoices {

// The known agents in catalogue order, each with its executable's name as `command`.
const std::vector<SetupAgent>& agents();

// The known terminals of this platform in catalogue order: the Linux terminals, keyed by desktop-file id, on
// Linux; `macTerminals` elsewhere.
const std::vector<SetupTerminal>& terminals();

// The macOS terminals, keyed by bundle identifier.
const std::vector<SetupTerminal>& macTerminals();

// What is offered when no terminal of the catalogue is installed: Terminal on macOS, the system's default
// terminal on Linux.
const SetupTerminal& fallbackTerminal();

// The non-empty pieces of `path` (split at ":"), then the usual install folders; each folder once, first
// occurrence kept.
std::vector<std::string> commandDirectories(std::string_view path, const std::string& home);

// The known agents whose executable passes `isExecutable` in one of `commandDirectories`, with `command`
// set to the first such full path.
std::vector<SetupAgent> installedAgents(
    std::string_view path, const std::string& home, const std::function<bool(const std::string&)>& isExecutable);

// The terminals of `catalogue` whose identifier passes `isInstalled`, each name once; `fallback` alone when
// none does.
std::vector<SetupTerminal> installedTerminals(const std::vector<SetupTerminal>& catalogue,
    const SetupTerminal& fallback, const std::function<bool(const std::string&)>& isInstalled);

// The same over this platform's `terminals` and `fallbackTerminal`.
std::vector<SetupTerminal> installedTerminals(const std::function<bool(const std::string&)>& isInstalled);

} // namespace SetupChoices

} // namespace quorvane
