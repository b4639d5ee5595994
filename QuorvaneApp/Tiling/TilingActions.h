#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

class AppModel;
enum class TileSlot;
struct Layout;
struct TileAction;

// Tiling as commands and the census reach it: snapping, layouts and the placement of new windows.
// Owned by the model; main thread only.
class TilingActions {
public:
    explicit TilingActions(AppModel&);
    ~TilingActions();

    // Moves the first window of the application into `slot` of a display, launching it when needed.
    void snap(const std::string& bundleIdentifier, TileSlot, std::optional<int64_t> display);
    // The current windows as a layout called `name`.
    Layout captureLayout(const std::string& name);
    // Arranges the windows by the configured layout called `name`.
    void applyLayout(const std::string& name);
    // One pass of the window census: new windows are tiled by rule.
    void census();
    // A tile chord or tile-mode key.
    void performTile(const TileAction&);
    // Turns tile mode on or off; the keys follow at once.
    void toggleTileMode();
    // Applies the next saved layout.
    void cycleLayouts();

private:
    AppModel& m_model;
};

} // namespace quorvane
