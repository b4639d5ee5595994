#pragma once

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/HotkeyModifier.h"

#include <cstddef>
#include <set>
#include <string>

namespace quorvane {

// A parsed chord: either exactly {leader} and a key, or some of ctrl, opt, shift, cmd and a key.
struct HotkeyChord {
    std::set<HotkeyModifier> modifiers;
    HotkeyKey key;

    // True when the chord is tapped after the leader key.
    bool isLeader() const;
    // The text in which chords are compared and stored: "ctrl+opt+shift+h", "leader+e".
    std::string canonical() const;
    // The text shown in messages and menus: "⌃⌥←", "Leader e".
    std::string display() const;

    friend bool operator==(const HotkeyChord&, const HotkeyChord&) = default;
};

} // namespace quorvane

template <> struct std::hash<quorvane::HotkeyKey> {
    size_t operator()(const quorvane::HotkeyKey&) const noexcept;
};

template <> struct std::hash<quorvane::HotkeyChord> {
    size_t operator()(const quorvane::HotkeyChord&) const noexcept;
};
