#pragma once

#include <string>
#include <vector>

namespace quorvane {

class Applications;

// Opens the user's coding-agent command in a terminal: a small script that enters the config folder and runs
// the command, every word quoted, handed to the terminal through the desktop.
class AgentLauncher {
public:
    // The script is written at `scriptPath` and runs in `workingDirectory`.
    AgentLauncher(Applications&, std::string workingDirectory, std::string scriptPath);

    // Writes the script (mode 0755) and runs it in the terminal `terminalBundleIdentifier` names, or in the
    // desktop's default terminal when that one is not installed. An empty command, or no terminal that
    // starts, fails with QuorvaneError; a folder or script that cannot be written with std::system_error.
    void launch(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier);

    // The terminal's name in the toast: its catalogue name, else the identifier's last path component, and
    // "Terminal" for an empty identifier.
    static std::string terminalName(const std::string& terminalBundleIdentifier);
    // The command's name in the toast: the last path component of its first word.
    static std::string commandName(const std::vector<std::string>& argv);

private:
    Applications& m_applications;
    std::string m_workingDirectory;
    std::string m_scriptPath;
};

} // namespace quorvane
