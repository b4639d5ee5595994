#pragma once

#include <optional>
#include <string>

namespace quorvane {

struct GeneralConfig;
struct QuorvaneConfig;

// The first problem of general settings about to be saved over `config`, as a sentence for the user, or none:
// an unreadable built-in or tile chord, an unusable leader key, then the first hotkey conflict.
std::optional<std::string> validate(const GeneralConfig& general, const QuorvaneConfig& config);

} // namespace quorvane
