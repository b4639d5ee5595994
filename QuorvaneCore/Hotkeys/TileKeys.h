#pragma once

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/TileAction.h"
#include "Hotkeys/TileKeyGroup.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One row of the fixed table of tile bindings.
struct TileKeyBinding {
    // The key under `[tile_hotkeys]`.
    std::string id;
    TileKeyGroup group = TileKeyGroup::focus;
    std::string title;
    std::string panelLabel;
    // The bare key in tile mode.
    HotkeyKey key;
    bool shifted = false;
    TileAction action;
    // What a press of the bare key reports; matched when the key code is unknown.
    std::vector<std::string> characters;
    // Canonical chord text registered when not overridden.
    std::string defaultChord;
    std::optional<std::string> note;

    friend bool operator==(const TileKeyBinding&, const TileKeyBinding&) = default;
};

// A binding with the user's override applied.
struct ResolvedTileChord {
    std::string id;
    TileKeyGroup group = TileKeyGroup::focus;
    std::string title;
    std::string panelLabel;
    // Canonical chord text in force.
    std::string chord;
    // The binding's note while the default chord is in force.
    std::optional<std::string> note;
    std::string token;
    TileAction action;

    friend bool operator==(const ResolvedTileChord&, const ResolvedTileChord&) = default;
};

// The 27 tile bindings: always-on chords and the bare keys of tile mode.
namespace TileKeys {

// The fixed table, in registration order.
const std::vector<TileKeyBinding>& bindings();

// Every binding with the chord in force: an override that parses replaces the default, one that does not is ignored.
std::vector<ResolvedTileChord> resolved(const std::map<std::string, std::string>& overrides);

// The action of a bare key press in tile mode: by key code first, then by the characters it reports.
std::optional<TileAction> action(uint32_t keyCode, std::string_view characters, bool shift);

// The title of the first resolved binding with this token and chord, or nothing.
std::optional<std::string> title(
    std::string_view token, std::string_view chord, const std::map<std::string, std::string>& overrides);

} // namespace TileKeys

} // namespace quorvane
