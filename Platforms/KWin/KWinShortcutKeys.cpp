#include "Platforms/KWin/KWinShortcutKeys.h"

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/HotkeyKeyTable.h"
#include "Hotkeys/MacKeyCodes.h"

#include <map>
#include <string_view>

namespace quorvane::KWinShortcutKeys {

namespace {

// Qt's names of the chord grammar's named keys. "delete" is the key left of the backspace-sized key on every
// keyboard: Backspace; "forwarddelete" is Qt's Del.
const std::map<std::string_view, std::string_view>& qtNames()
{
    static const std::map<std::string_view, std::string_view> names = {
        { "space", "Space" },
        { "return", "Return" },
        { "escape", "Esc" },
        { "tab", "Tab" },
        { "left", "Left" },
        { "right", "Right" },
        { "down", "Down" },
        { "up", "Up" },
        { "delete", "Backspace" },
        { "forwarddelete", "Del" },
        { "home", "Home" },
        { "end", "End" },
        { "pageup", "PgUp" },
        { "pagedown", "PgDown" },
        { "caps", "CapsLock" },
        { "minus", "-" },
        { "equal", "=" },
        { "comma", "," },
        { "period", "." },
        { "slash", "/" },
        { "semicolon", ";" },
        { "quote", "'" },
        { "backslash", "\\" },
        { "grave", "`" },
        { "leftbracket", "[" },
        { "rightbracket", "]" },
    };
    return names;
}

const std::map<uint32_t, std::string>& keyNames()
{
    static const std::map<uint32_t, std::string> built = [] {
        std::map<uint32_t, std::string> made;
        auto add = [&made](const HotkeyKey& key, std::string name) {
            if (std::optional<uint32_t> code = MacKeyCodes::code(key))
                made.emplace(*code, std::move(name));
        };
        for (char letter = 'a'; letter <= 'z'; ++letter)
            add(HotkeyKey::character(std::string(1, letter)), std::string(1, char(letter - 'a' + 'A')));
        for (char digit = '0'; digit <= '9'; ++digit)
            add(HotkeyKey::character(std::string(1, digit)), std::string(1, digit));
        for (const HotkeyKeyTable::NamedKey& named : HotkeyKeyTable::namedKeys())
            if (auto found = qtNames().find(named.name); found != qtNames().end())
                add(HotkeyKey::named(std::string(named.name)), std::string(found->second));
        for (int number = 1; number <= 20; ++number)
            add(HotkeyKey::named("f" + std::to_string(number)), "F" + std::to_string(number));
        return made;
    }();
    return built;
}

} // namespace

std::optional<std::string> sequence(const KeyChord& chord)
{
    auto key = keyNames().find(chord.keyCode);
    if (key == keyNames().end())
        return std::nullopt;
    std::string text;
    // Qt's own order, so that Plasma's settings show the chord as it writes chords itself.
    for (auto [modifier, name] : { std::pair { HotkeyModifier::cmd, "Meta+" }, { HotkeyModifier::ctrl, "Ctrl+" },
             { HotkeyModifier::opt, "Alt+" }, { HotkeyModifier::shift, "Shift+" } })
        if (chord.modifiers.contains(modifier))
            text += name;
    return text + key->second;
}

} // namespace quorvane::KWinShortcutKeys
