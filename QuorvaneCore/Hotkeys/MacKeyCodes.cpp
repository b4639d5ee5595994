#include "Hotkeys/MacKeyCodes.h"

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/HotkeyKeyTable.h"
#include "Support/UnicodeText.h"

#include <map>

namespace quorvane::MacKeyCodes {

namespace {

const std::map<std::string, uint32_t, std::less<>>& letterCodes()
{
    static const std::map<std::string, uint32_t, std::less<>> codes = {
        { "a", 0x00 },
        { "s", 0x01 },
        { "d", 0x02 },
        { "f", 0x03 },
        { "h", 0x04 },
        { "g", 0x05 },
        { "z", 0x06 },
        { "x", 0x07 },
        { "c", 0x08 },
        { "v", 0x09 },
        { "b", 0x0B },
        { "q", 0x0C },
        { "w", 0x0D },
        { "e", 0x0E },
        { "r", 0x0F },
        { "y", 0x10 },
        { "t", 0x11 },
        { "o", 0x1F },
        { "u", 0x20 },
        { "i", 0x22 },
        { "p", 0x23 },
        { "l", 0x25 },
        { "j", 0x26 },
        { "k", 0x28 },
        { "n", 0x2D },
        { "m", 0x2E },
    };
    return codes;
}

const std::map<std::string, uint32_t, std::less<>>& digitCodes()
{
    static const std::map<std::string, uint32_t, std::less<>> codes = {
        { "1", 0x12 },
        { "2", 0x13 },
        { "3", 0x14 },
        { "4", 0x15 },
        { "6", 0x16 },
        { "5", 0x17 },
        { "9", 0x19 },
        { "7", 0x1A },
        { "8", 0x1C },
        { "0", 0x1D },
    };
    return codes;
}

} // namespace

std::optional<uint32_t> code(const HotkeyKey& key)
{
    if (key.kind == HotkeyKey::Kind::character) {
        std::string lower = UnicodeText::lowercased(key.text);
        for (const auto* table : { &letterCodes(), &digitCodes() }) {
            if (auto found = table->find(lower); found != table->end())
                return found->second;
        }
        return std::nullopt;
    }
    if (const auto* named = HotkeyKeyTable::namedKey(key.text))
        return named->code;
    if (auto number = HotkeyKeyTable::functionKeyNumber(key.text))
        return HotkeyKeyTable::functionKeyCode(*number);
    return std::nullopt;
}

uint32_t carbonModifiers(const std::set<HotkeyModifier>& modifiers)
{
    uint32_t mask = 0;
    for (HotkeyModifier modifier : modifiers) {
        switch (modifier) {
        case HotkeyModifier::ctrl:
            mask += 0x1000;
            break;
        case HotkeyModifier::opt:
            mask += 0x0800;
            break;
        case HotkeyModifier::shift:
            mask += 0x0200;
            break;
        case HotkeyModifier::cmd:
            mask += 0x0100;
            break;
        case HotkeyModifier::leader:
            break;
        }
    }
    return mask;
}

} // namespace quorvane::MacKeyCodes
