#pragma once

#include <optional>
#include <string>

namespace quorvane {

struct HotkeyChord;

// Chords that macOS itself already uses.
namespace SystemHotkeys {

// Why the chord cannot be used, or nothing when it is free; the order of modifiers and key aliases do not matter.
std::optional<std::string> reservation(const HotkeyChord&);

} // namespace SystemHotkeys

} // namespace quorvane
