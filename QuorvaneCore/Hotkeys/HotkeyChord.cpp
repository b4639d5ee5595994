#include "Hotkeys/HotkeyChord.h"

#include <functional>

namespace quorvane {

namespace {

std::string_view glyph(HotkeyModifier modifier)
{
    switch (modifier) {
    case HotkeyModifier::ctrl:
        return "\u2303";
    case HotkeyModifier::opt:
        return "\u2325";
    case HotkeyModifier::shift:
        return "\u21E7";
    case HotkeyModifier::cmd:
        return "\u2318";
    case HotkeyModifier::leader:
        break;
    }
    return {};
}

} // namespace

bool HotkeyChord::isLeader() const
{
    return modifiers.contains(HotkeyModifier::leader);
}

std::string HotkeyChord::canonical() const
{
    if (isLeader())
        return "leader+" + key.canonical();
    // The set is ordered by declaration, which is the canonical order ctrl, opt, shift, cmd.
    std::string text;
    for (HotkeyModifier modifier : modifiers) {
        text += toString(modifier);
        text += '+';
    }
    return text + key.canonical();
}

std::string HotkeyChord::display() const
{
    if (isLeader())
        return "Leader " + key.canonical();
    std::string text;
    for (HotkeyModifier modifier : modifiers)
        text += glyph(modifier);
    return text + hotkeyKeyFace(key);
}

} // namespace quorvane

size_t std::hash<quorvane::HotkeyKey>::operator()(const quorvane::HotkeyKey& key) const noexcept
{
    return std::hash<std::string>()(key.text) * 2 + static_cast<size_t>(key.kind);
}

size_t std::hash<quorvane::HotkeyChord>::operator()(const quorvane::HotkeyChord& chord) const noexcept
{
    size_t mask = 0;
    for (quorvane::HotkeyModifier modifier : chord.modifiers)
        mask |= size_t { 1 } << static_cast<unsigned>(modifier);
    return std::hash<quorvane::HotkeyKey>()(chord.key) * 31 + mask;
}
