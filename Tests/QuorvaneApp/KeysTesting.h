#pragma once

#include "AppTesting.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/MacKeyCodes.h"
#include "QuorvaneApp/Keys/HotkeyCenter.h"
#include "QuorvaneApp/Keys/KeyTap.h"

#include <string>
#include <utility>
#include <vector>

namespace quorvane::test {

// The key code of a key name ("e", "caps", "left").
inline uint32_t keyCode(const std::string& name)
{
    return *MacKeyCodes::code(name.size() == 1 ? HotkeyKey::character(name) : HotkeyKey::named(name));
}

// A key-down of `name` with `modifiers` held, typing `characters` (by default the letter itself).
inline KeyEvent keyDown(const std::string& name, std::set<HotkeyModifier> modifiers = {},
    std::optional<std::string> characters = std::nullopt)
{
    std::string typed = characters ? *characters : name.size() == 1 ? name : "";
    return KeyEvent { KeyEvent::Type::keyDown, keyCode(name), std::move(modifiers), typed };
}

inline KeyEvent flagsChanged(const std::string& name, std::set<HotkeyModifier> modifiers = {})
{
    return KeyEvent { KeyEvent::Type::flagsChanged, keyCode(name), std::move(modifiers), "" };
}

// The chord the desktop's registrar holds for a chord text.
inline KeyChord keyChord(const std::string& text)
{
    HotkeyChord chord = HotkeyParser::parse(text);
    return KeyChord { *MacKeyCodes::code(chord.key), chord.modifiers };
}

// A model on the sample scene with keys: the tap may run unless a test says otherwise.
class KeysTest : public AppTest {
public:
    KeysTest()
    {
        desktop.addSampleScene();
        desktop.keyboardTap.setAvailable(true);
    }

    HotkeyCenter& center() { return model->hotkeys(); }
};

} // namespace quorvane::test
