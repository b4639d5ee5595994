#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

struct GeneralConfig;
struct QuorvaneConfig;

// The first problem of general settings about to be saved over `config`, as a sentence for the user, or none:
// an unreadable or empty built-in chord, an unreadable tile chord, an unusable leader key, then the first hotkey
// conflict. A problem `config` has already does not count.
std::optional<std::string> validate(const GeneralConfig& general, const QuorvaneConfig& config);

// The chords of `[general]` (tile_mode_hotkey and the others), each with its key, in the file's order.
std::vector<std::pair<std::string_view, std::string>> builtInChords(const GeneralConfig& general);

} // namespace quorvane
