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

// The known terminals in catalogue order.
const std::vector<SetupTerminal>& terminals();

// The non-empty pieces of `path` (split at ":"), then the usual install folders; each folder once, first
// occurrence kept.
std::vector<std::string> commandDirectories(std::string_view path, const std::string& home);

// The known agents whose executable passes `isExecutable` in one of `commandDirectories`, with `command`
// set to the first such full path.
std::vector<SetupAgent> installedAgents(
    std::string_view path, const std::string& home, const std::function<bool(const std::string&)>& isExecutable);

// The known terminals whose bundle identifier passes `isInstalled`; Terminal alone when none does.
std::vector<SetupTerminal> installedTerminals(const std::function<bool(const std::string&)>& isInstalled);

} // namespace SetupChoices

} // namespace quorvane
