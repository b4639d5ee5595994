#include "Hotkeys/HotkeyModifier.h"

#include "Support/RawValue.h"

namespace quorvane {

std::string_view toString(HotkeyModifier modifier)
{
    switch (modifier) {
    case HotkeyModifier::ctrl:
        return "ctrl";
    case HotkeyModifier::opt:
        return "opt";
    case HotkeyModifier::shift:
        return "shift";
    case HotkeyModifier::cmd:
        return "cmd";
    case HotkeyModifier::leader:
        return "leader";
    }
    return {};
}

std::optional<HotkeyModifier> parseHotkeyModifier(std::string_view rawValue)
{
    return parseRawValue<HotkeyModifier>(rawValue, allHotkeyModifiers);
}

} // namespace quorvane
