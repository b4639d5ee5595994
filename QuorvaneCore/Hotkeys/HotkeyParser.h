#pragma once

#include "Hotkeys/HotkeyChord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Reads chord texts: "ctrl+opt+space", "leader+e", "Opt + Control + [", or the glyph form "⌃⌥L".
namespace HotkeyParser {

// The chord `text` names; throws QuorvaneError (code "usage") with a message that quotes the user's words.
HotkeyChord parse(std::string_view text);

// The chord `text` names, or nothing when it does not parse. Never throws.
std::optional<HotkeyChord> tryParse(std::string_view text);

// The key of the `leader_key` setting, or nothing when the text names no key. Never throws.
std::optional<HotkeyKey> parseLeader(std::string_view text);

} // namespace HotkeyParser

// The keycaps to draw for a chord text (modifier glyphs, "Leader", then the key's face); empty when it does not parse.
std::vector<std::string> hotkeyKeycaps(std::string_view text);

} // namespace quorvane
