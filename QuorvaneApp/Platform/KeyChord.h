#pragma once

#include "Hotkeys/HotkeyModifier.h"

#include <cstdint>
#include <set>

namespace quorvane {

// A key with modifiers held, as the platform grabs it. `keyCode` is the key's code in the application's
// own key table (`MacKeyCodes::code`); backends translate it to their own key numbers.
struct KeyChord {
    uint32_t keyCode = 0;
    // ctrl, opt, shift and cmd; never leader.
    std::set<HotkeyModifier> modifiers;

    friend bool operator==(const KeyChord&, const KeyChord&) = default;
    friend auto operator<=>(const KeyChord&, const KeyChord&) = default;
};

} // namespace quorvane
