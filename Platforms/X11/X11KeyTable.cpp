#include "Platforms/X11/X11KeyTable.h"

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/HotkeyKeyTable.h"
#include "Hotkeys/MacKeyCodes.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace quorvane::X11KeyTable {

namespace {

// The named keys of the chord grammar. "delete" is the key left of the backspace-sized key on every
// keyboard: BackSpace; "forwarddelete" is X's Delete.
const std::map<std::string_view, uint32_t>& namedKeysyms()
{
    static const std::map<std::string_view, uint32_t> keysyms = {
        { "space", XKB_KEY_space },
        { "return", XKB_KEY_Return },
        { "escape", XKB_KEY_Escape },
        { "tab", XKB_KEY_Tab },
        { "left", XKB_KEY_Left },
        { "right", XKB_KEY_Right },
        { "down", XKB_KEY_Down },
        { "up", XKB_KEY_Up },
        { "delete", XKB_KEY_BackSpace },
        { "forwarddelete", XKB_KEY_Delete },
        { "home", XKB_KEY_Home },
        { "end", XKB_KEY_End },
        { "pageup", XKB_KEY_Prior },
        { "pagedown", XKB_KEY_Next },
        { "caps", XKB_KEY_Caps_Lock },
        { "minus", XKB_KEY_minus },
        { "equal", XKB_KEY_equal },
        { "comma", XKB_KEY_comma },
        { "period", XKB_KEY_period },
        { "slash", XKB_KEY_slash },
        { "semicolon", XKB_KEY_semicolon },
        { "quote", XKB_KEY_apostrophe },
        { "backslash", XKB_KEY_backslash },
        { "grave", XKB_KEY_grave },
        { "leftbracket", XKB_KEY_bracketleft },
        { "rightbracket", XKB_KEY_bracketright },
    };
    return keysyms;
}

// Keys that count as another: a key's keysym, then its twin's.
constexpr std::pair<uint32_t, uint32_t> twins[] = { { XKB_KEY_Return, XKB_KEY_KP_Enter } };

struct Tables {
    std::map<uint32_t, uint32_t> keysymByCode;
    std::map<uint32_t, uint32_t> codeByKeysym;

    void add(const HotkeyKey& key, uint32_t keysym)
    {
        if (std::optional<uint32_t> code = MacKeyCodes::code(key)) {
            keysymByCode.emplace(*code, keysym);
            codeByKeysym.emplace(keysym, *code);
        }
    }
};

const Tables& tables()
{
    static const Tables built = [] {
        Tables made;
        for (char letter = 'a'; letter <= 'z'; ++letter)
            made.add(HotkeyKey::character(std::string(1, letter)), XKB_KEY_a + uint32_t(letter - 'a'));
        for (char digit = '0'; digit <= '9'; ++digit)
            made.add(HotkeyKey::character(std::string(1, digit)), XKB_KEY_0 + uint32_t(digit - '0'));
        for (const HotkeyKeyTable::NamedKey& named : HotkeyKeyTable::namedKeys())
            if (auto found = namedKeysyms().find(named.name); found != namedKeysyms().end())
                made.add(HotkeyKey::named(std::string(named.name)), found->second);
        for (int number = 1; number <= 20; ++number)
            made.add(HotkeyKey::named("f" + std::to_string(number)), XKB_KEY_F1 + uint32_t(number - 1));
        return made;
    }();
    return built;
}

} // namespace

std::optional<uint32_t> keysym(uint32_t keyCode)
{
    auto found = tables().keysymByCode.find(keyCode);
    if (found == tables().keysymByCode.end())
        return std::nullopt;
    return found->second;
}

std::optional<uint32_t> twin(uint32_t keysym)
{
    for (const auto& [key, itsTwin] : twins)
        if (key == keysym)
            return itsTwin;
    return std::nullopt;
}

std::optional<uint32_t> keyCode(uint32_t keysym)
{
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z)
        keysym += XKB_KEY_a - XKB_KEY_A;
    for (const auto& [key, itsTwin] : twins)
        if (itsTwin == keysym)
            keysym = key;
    auto found = tables().codeByKeysym.find(keysym);
    if (found == tables().codeByKeysym.end())
        return std::nullopt;
    return found->second;
}

} // namespace quorvane::X11KeyTable
