#pragma once

#include "QuorvaneApp/Platform/KeyChord.h"

#include <optional>
#include <string>

namespace quorvane {

// Chords written the way KWin's shortcuts take them ("Meta+Alt+T"): Qt's key-sequence text.
namespace KWinShortcutKeys {

// The key sequence of `chord`, or none when its key has no name here. cmd is Meta, opt is Alt.
std::optional<std::string> sequence(const KeyChord& chord);

} // namespace KWinShortcutKeys

} // namespace quorvane
