#include "Agents/SetupChoices.h"

#include "Agents/LinuxTerminal.h"

#include <algorithm>

namespace quorvane::SetupChoices {

const std::vector<SetupAgent>& agents()
{
    static const std::vector<SetupAgent> catalogue = {
        { "Claude", "claude" },
        { "Codex", "codex" },
        { "Cursor Agent", "cursor-agent" },
        { "Gemini", "gemini" },
        { "OpenCode", "opencode" },
        { "Aider", "aider" },
    };
    return catalogue;
}

const std::vector<SetupTerminal>& terminals()
{
#if defined(__linux__)
    static const std::vector<SetupTerminal> catalogue = [] {
        std::vector<SetupTerminal> entries;
        for (const LinuxTerminal& terminal : linuxTerminals())
            entries.push_back({ terminal.name, terminal.desktopIdentifier });
        return entries;
    }();
    return catalogue;
#else
    return macTerminals();
#endif
}

const SetupTerminal& fallbackTerminal()
{
#if defined(__linux__)
    // Not a desktop-file id: the agent launcher opens unknown terminals with the system's default one.
    static const SetupTerminal fallback { "Terminal", "x-terminal-emulator" };
#else
    static const SetupTerminal fallback = macTerminals().front();
#endif
    return fallback;
}

const std::vector<SetupTerminal>& macTerminals()
{
    static const std::vector<SetupTerminal> catalogue = {
        { "Terminal", "com.apple.Terminal" },
        { "iTerm", "com.googlecode.iterm2" },
        { "Ghostty", "com.mitchellh.ghostty" },
        { "Warp", "dev.warp.Warp-Stable" },
        { "WezTerm", "com.github.wez.wezterm" },
        { "Alacritty", "org.alacritty" },
        { "kitty", "net.kovidgoyal.kitty" },
    };
    return catalogue;
}

std::vector<std::string> commandDirectories(std::string_view path, const std::string& home)
{
    std::vector<std::string> candidates;
    size_t start = 0;
    while (start <= path.size()) {
        size_t colon = std::min(path.find(':', start), path.size());
        if (colon > start)
            candidates.emplace_back(path.substr(start, colon - start));
        start = colon + 1;
    }
    candidates.insert(candidates.end(), { "/opt/homebrew/bin", "/usr/local/bin", home + "/.local/bin", home + "/bin" });

    std::vector<std::string> folders;
    for (std::string& candidate : candidates) {
        if (std::find(folders.begin(), folders.end(), candidate) == folders.end())
            folders.push_back(std::move(candidate));
    }
    return folders;
}

std::vector<SetupAgent> installedAgents(
    std::string_view path, const std::string& home, const std::function<bool(const std::string&)>& isExecutable)
{
    std::vector<std::string> folders = commandDirectories(path, home);
    std::vector<SetupAgent> found;
    for (const SetupAgent& agent : agents()) {
        for (const std::string& folder : folders) {
            std::string candidate = folder + "/" + agent.command;
            if (isExecutable(candidate)) {
                found.push_back({ agent.name, candidate });
                break;
            }
        }
    }
    return found;
}

std::vector<SetupTerminal> installedTerminals(const std::vector<SetupTerminal>& catalogue,
    const SetupTerminal& fallback, const std::function<bool(const std::string&)>& isInstalled)
{
    std::vector<SetupTerminal> found;
    for (const SetupTerminal& terminal : catalogue) {
        bool named = std::any_of(
            found.begin(), found.end(), [&](const SetupTerminal& listed) { return listed.name == terminal.name; });
        if (!named && isInstalled(terminal.bundleIdentifier))
            found.push_back(terminal);
    }
    if (found.empty())
        found.push_back(fallback);
    return found;
}

std::vector<SetupTerminal> installedTerminals(const std::function<bool(const std::string&)>& isInstalled)
{
    return installedTerminals(terminals(), fallbackTerminal(), isInstalled);
}

} // namespace quorvane::SetupChoices
