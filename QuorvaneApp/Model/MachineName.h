#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The name people gave this computer, for the command line's messages.
namespace MachineName {

// The PRETTY_HOSTNAME of a machine-info file's text (shell-style KEY=VALUE lines, the value possibly quoted),
// or none when it is missing or blank.
std::optional<std::string> prettyHostName(std::string_view machineInfo);

// The pretty host name of the machine-info file at `machineInfoPath`, else the host name.
std::string current(const std::string& machineInfoPath);

} // namespace MachineName

} // namespace quorvane
