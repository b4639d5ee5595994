#pragma once

#include "Configuration/ResolvedTarget.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct QuorvaneConfig;

// One chord as registered with the system.
struct EffectiveHotkey {
    // Canonical chord text.
    std::string chord;
    // What the chord fires: an application's bundle identifier, a built-in identifier or a tile token.
    std::string bundleIdentifier;
    // "app:" and a web app's slug, "hotkeys" or "builtin".
    std::string source;

    friend bool operator==(const EffectiveHotkey&, const EffectiveHotkey&) = default;
};

// A chord that cannot work as configured, with a sentence for the user.
struct HotkeyConflict {
    std::string chord;
    std::string detail;

    friend bool operator==(const HotkeyConflict&, const HotkeyConflict&) = default;
};

// Every chord the configuration registers, in registration order: web apps, `[hotkeys]`, the built-in settings,
// then the tile chords. Texts that do not parse are left out; duplicates are kept.
std::vector<EffectiveHotkey> effectiveHotkeys(const QuorvaneConfig&);

// Every later holder of a chord already taken, and every chord macOS reserves, in table order.
std::vector<HotkeyConflict> hotkeyConflicts(const QuorvaneConfig&);

// Throws QuorvaneError when `text` does not parse ("usage"), is reserved by macOS or already bound ("conflict").
// Rows that fire the application `replacing` names (resolved with `isApplicationId`) are not a clash.
void ensureHotkeyAvailable(std::string_view text, const QuorvaneConfig&,
    std::optional<std::string_view> replacing = std::nullopt, const ApplicationIdCheck& isApplicationId = {});

// The chord text configured for an application, as written: its web app's hotkey, else its first `[hotkeys]`
// entry, else empty.
std::string configuredHotkey(const QuorvaneConfig&, std::string_view bundleIdentifier);

} // namespace quorvane
