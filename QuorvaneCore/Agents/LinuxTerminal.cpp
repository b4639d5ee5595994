#include "Agents/LinuxTerminal.h"

#include <algorithm>

namespace quorvane {

const std::vector<LinuxTerminal>& linuxTerminals()
{
    static const std::vector<LinuxTerminal> catalogue = {
        { "GNOME Terminal", "org.gnome.Terminal", { "gnome-terminal", "--" } },
        { "Konsole", "org.kde.konsole", { "konsole", "-e" } },
        { "XTerm", "xterm", { "xterm", "-e" } },
        // Debian installs xterm's desktop file under this id.
        { "XTerm", "debian-xterm", { "xterm", "-e" } },
        { "kitty", "kitty", { "kitty" } },
        { "Alacritty", "Alacritty", { "alacritty", "-e" } },
        { "WezTerm", "org.wezfurlong.wezterm", { "wezterm", "start", "--" } },
        { "Ghostty", "com.mitchellh.ghostty", { "ghostty", "-e" } },
    };
    return catalogue;
}

std::vector<std::string> terminalCommand(const std::string& terminalId, const std::string& scriptPath,
    const std::function<bool(const std::string& desktopIdentifier)>& isInstalled)
{
    const std::vector<LinuxTerminal>& catalogue = linuxTerminals();
    auto known = std::find_if(catalogue.begin(), catalogue.end(),
        [&](const LinuxTerminal& terminal) { return terminal.desktopIdentifier == terminalId; });
    std::vector<std::string> words;
    if (known != catalogue.end() && isInstalled && isInstalled(terminalId))
        words = known->runWords;
    else
        words = { "x-terminal-emulator", "-e" };
    words.push_back(scriptPath);
    return words;
}

} // namespace quorvane
