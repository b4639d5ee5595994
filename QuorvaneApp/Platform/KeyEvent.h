#pragma once

#include "Hotkeys/HotkeyModifier.h"

#include <cstdint>
#include <set>
#include <string>

namespace quorvane {

// One key event the keyboard tap sees.
struct KeyEvent {
    enum class Type {
        keyDown,
        // A modifier or lock key (shift, caps) went down or up.
        flagsChanged,
        // The platform switched the tap off for a moment (it answered too slowly, or the user's input did it).
        // The backend has switched it on again; the handler lets the notice pass and changes nothing.
        tapDisabled,
    };

    Type type = Type::keyDown;
    // The key's code in the application's own key table (`MacKeyCodes::code`).
    uint32_t keyCode = 0;
    // Modifiers held during the event: ctrl, opt, shift, cmd.
    std::set<HotkeyModifier> modifiers;
    // What the key types, UTF-8; empty when it types nothing.
    std::string characters;

    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

} // namespace quorvane
