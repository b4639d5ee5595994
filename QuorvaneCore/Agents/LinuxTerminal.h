#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

// A terminal application of the Linux desktop and the words that make it run a script.
struct LinuxTerminal {
    std::string name;
    // Its desktop-file id, which `terminal_bundle_id` holds when it is chosen.
    std::string desktopIdentifier;
    // The command line up to the script's path.
    std::vector<std::string> runWords;

    friend bool operator==(const LinuxTerminal&, const LinuxTerminal&) = default;
};

// The known Linux terminals in catalogue order.
const std::vector<LinuxTerminal>& linuxTerminals();

// The command line that runs the script at `scriptPath` in the terminal whose desktop-file id is
// `terminalId`: that terminal's words and the path when the catalogue knows the id and `isInstalled` finds
// it, else the system's default terminal ("x-terminal-emulator -e" and the path).
std::vector<std::string> terminalCommand(const std::string& terminalId, const std::string& scriptPath,
    const std::function<bool(const std::string& desktopIdentifier)>& isInstalled);

} // namespace quorvane
