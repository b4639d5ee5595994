#pragma once

#include "Hotkeys/HotkeyModifier.h"

#include <cstdint>
#include <optional>
#include <set>

namespace quorvane {

struct HotkeyKey;

// The translation of chords into what the system hotkey service registers.
namespace MacKeyCodes {

// The ANSI-layout virtual key code of the key, or nothing for keys without one ("é").
std::optional<uint32_t> code(const HotkeyKey&);

// The Carbon modifier mask; leader adds nothing.
uint32_t carbonModifiers(const std::set<HotkeyModifier>&);

} // namespace MacKeyCodes

} // namespace quorvane
