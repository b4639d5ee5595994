#include "Hotkeys/SystemHotkeys.h"

#include "Hotkeys/HotkeyChord.h"

#include <map>

namespace quorvane::SystemHotkeys {

std::optional<std::string> reservation(const HotkeyChord& chord)
{
    static const std::map<std::string, std::string, std::less<>> reserved = [] {
        std::map<std::string, std::string, std::less<>> table;
        for (const char* text :
            { "cmd+space", "opt+cmd+space", "ctrl+cmd+space", "ctrl+up", "ctrl+down", "ctrl+left", "ctrl+right",
                "opt+cmd+escape", "ctrl+cmd+q", "shift+cmd+q", "shift+cmd+3", "shift+cmd+4", "shift+cmd+5" })
            table.emplace(text, "macOS uses this chord.");
        return table;
    }();
    auto found = reserved.find(chord.canonical());
    if (found == reserved.end())
        return std::nullopt;
    return found->second;
}

} // namespace quorvane::SystemHotkeys
