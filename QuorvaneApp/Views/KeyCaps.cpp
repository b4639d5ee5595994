#include "QuorvaneApp/Views/KeyCaps.h"

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/HotkeyParser.h"

#include <string_view>
#include <utility>

namespace quorvane::KeyCaps {

std::vector<std::string> of(const std::string& chord)
{
    std::optional<HotkeyChord> parsed = HotkeyParser::tryParse(chord);
    if (!parsed)
        return {};
    static constexpr std::pair<HotkeyModifier, std::string_view> names[] = {
        { HotkeyModifier::leader, "Leader" },
        { HotkeyModifier::ctrl, "Ctrl" },
        { HotkeyModifier::opt, "Alt" },
        { HotkeyModifier::shift, "Shift" },
        { HotkeyModifier::cmd, "Super" },
    };
    std::vector<std::string> caps;
    for (const auto& [modifier, name] : names) {
        if (parsed->modifiers.contains(modifier))
            caps.emplace_back(name);
    }
    caps.push_back(hotkeyKeyFace(parsed->key));
    return caps;
}

std::string spoken(const std::string& chord)
{
    std::vector<std::string> caps = of(chord);
    if (caps.empty())
        return chord;
    std::string said;
    for (const std::string& cap : caps)
        said += (said.empty() ? "" : "+") + cap;
    return said;
}

} // namespace quorvane::KeyCaps
