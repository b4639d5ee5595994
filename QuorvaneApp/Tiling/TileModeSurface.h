#pragma once

#include "Hotkeys/TileKeys.h"
#include "Tiling/Frame.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// What tiling shows as it works, drawn by the views: tile mode's cheat sheet and a short notice. Main
// thread only.
class TileModeSurface {
public:
    virtual ~TileModeSurface() = default;

    // Tile mode is on. `fallback`: its bare keys are unavailable.
    virtual void show(bool fallback, double gap, std::vector<ResolvedTileChord> tileKeys) = 0;
    // Tile mode is off.
    virtual void hide() = 0;
    // Shows `text` for a moment, near the window frame `near` when given.
    virtual void showNotice(const std::string& text, const std::optional<Frame>& near) = 0;
};

} // namespace quorvane
