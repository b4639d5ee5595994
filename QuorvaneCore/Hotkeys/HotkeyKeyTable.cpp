#include "Hotkeys/HotkeyKeyTable.h"

#include <map>

namespace quorvane::HotkeyKeyTable {

const std::vector<NamedKey>& namedKeys()
{
    static const std::vector<NamedKey> table = {
        { "space", "Space", 0x31 },
        { "return", "Return", 0x24 },
        { "escape", "Esc", 0x35 },
        { "tab", "Tab", 0x30 },
        { "left", "\u2190", 0x7B },
        { "right", "\u2192", 0x7C },
        { "down", "\u2193", 0x7D },
        { "up", "\u2191", 0x7E },
        { "delete", "Delete", 0x33 },
        { "forwarddelete", "Forwarddelete", 0x75 },
        { "home", "Home", 0x73 },
        { "end", "End", 0x77 },
        { "pageup", "Pageup", 0x74 },
        { "pagedown", "Pagedown", 0x79 },
        { "caps", "Caps", 0x39 },
        { "minus", "-", 0x1B },
        { "equal", "=", 0x18 },
        { "comma", ",", 0x2B },
        { "period", ".", 0x2F },
        { "slash", "/", 0x2C },
        { "semicolon", ";", 0x29 },
        { "quote", "'", 0x27 },
        { "backslash", "\\", 0x2A },
        { "grave", "`", 0x32 },
        { "leftbracket", "[", 0x21 },
        { "rightbracket", "]", 0x1E },
    };
    return table;
}

const NamedKey* namedKey(std::string_view name)
{
    static const std::map<std::string_view, const NamedKey*> index = [] {
        std::map<std::string_view, const NamedKey*> byName;
        for (const NamedKey& key : namedKeys())
            byName.emplace(key.name, &key);
        return byName;
    }();
    auto found = index.find(name);
    return found == index.end() ? nullptr : found->second;
}

std::optional<std::string_view> alias(std::string_view name)
{
    static const std::map<std::string_view, std::string_view> aliases = {
        { "spacebar", "space" },
        { "enter", "return" },
        { "esc", "escape" },
        { "arrowleft", "left" },
        { "arrowright", "right" },
        { "arrowdown", "down" },
        { "arrowup", "up" },
        { "capslock", "caps" },
        { "left", "left" },
        { "right", "right" },
        { "up", "up" },
        { "down", "down" },
        { "caps", "caps" },
    };
    auto found = aliases.find(name);
    if (found == aliases.end())
        return std::nullopt;
    return found->second;
}

std::optional<int> functionKeyNumber(std::string_view name)
{
    if (name.size() < 2 || name.front() != 'f')
        return std::nullopt;
    int number = 0;
    for (char digit : name.substr(1)) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        // Stop counting once past the range so that a long run of digits cannot overflow.
        if (number <= 20)
            number = number * 10 + (digit - '0');
    }
    if (number < 1 || number > 20)
        return std::nullopt;
    return number;
}

uint32_t functionKeyCode(int number)
{
    static constexpr uint32_t codes[] = {
        0x7A,
        0x78,
        0x63,
        0x76,
        0x60,
        0x61,
        0x62,
        0x64,
        0x65,
        0x6D,
        0x67,
        0x6F,
        0x69,
        0x6B,
        0x71,
        0x6A,
        0x40,
        0x4F,
        0x50,
        0x5A,
    };
    return codes[number - 1];
}

} // namespace quorvane::HotkeyKeyTable
