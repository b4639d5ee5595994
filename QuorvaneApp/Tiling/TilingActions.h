#pragma once

#include "QuorvaneApp/Platform/Platform.h"
#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneApp/Tiling/FrameAnimator.h"
#include "QuorvaneApp/Tiling/LiveWindow.h"
#include "QuorvaneApp/Tiling/TileModeSurface.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "Tiling/Direction.h"
#include "Tiling/TileSlot.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace quorvane {

class ApplicationLocator;
class BannerSink;
class ConfigSource;
struct DoctorCheck;
struct Layout;
struct TileAction;

// Tiling as keys, commands and the census reach it: moving and focusing windows, layouts, snapping, and
// the placement of new windows. Owned by the model; main thread only. Actions that find no window,
// display or neighbour do nothing and say nothing.
class TilingActions {
public:
    // A tile asked for an application that had no window yet.
    struct PendingSnap {
        TileSlot slot = TileSlot::fill;
        std::optional<int64_t> display;
    };

    // Longest time a new window that is still being set up is left for the census to see it ready.
    static constexpr double readyWait = 2.5;

    TilingActions(const Platform&, const ConfigSource&, const ApplicationLocator&, BannerSink&);
    ~TilingActions();
    TilingActions(const TilingActions&) = delete;
    TilingActions& operator=(const TilingActions&) = delete;

    // Runs the census whenever the platform says the window list changed.
    void start();

    // Whether tile mode is on: the cheat sheet shows and the bare keys act.
    bool tileMode() const { return m_tileMode; }
    // `changed` runs whenever tile mode turns on or off.
    void setOnTileModeChanged(std::function<void()> changed) { m_tileModeChanged = std::move(changed); }

    // A tile chord or tile-mode key.
    void performTile(const TileAction&);
    // Turns tile mode on (cheat sheet, bare keys) or off.
    void toggleTileMode();
    // Moves the acted-on window to the next tile in `direction`, or nudges it 8 % of its display.
    void moveFocused(Direction);
    // Raises and focuses the window next to the acted-on one in `direction`.
    void focusNeighbor(Direction);
    // Arranges the main display's windows by layout `number` (1 to 6).
    void applyLayoutNumber(int number);
    // Fills the acted-on window's display with it.
    void fillFocused();
    // Moves the acted-on window `delta` displays along the display order.
    void moveFocusedDisplay(int delta);
    // Applies the next saved layout; the banner tells what went wrong.
    void cycleLayouts();

    // Moves the first window of the application into `slot` of a display, launching the application and
    // tiling its first new window when it has none.
    void snap(const std::string& bundleIdentifier, TileSlot, std::optional<int64_t> display);
    // The tiled windows as a layout called `name`; fails when no window is on a tile.
    Layout captureLayout(const std::string& name);
    // Arranges the windows by the configured layout called `name`.
    void applyLayout(const std::string& name);
    // One pass of the window census: new windows are placed. A window still being set up counts as new
    // once it is ready, or once it has stayed unready for `readyWait`.
    void census();
    // The census for a caller that has just found window control allowed.
    void censusWithWindowControl();
    // Places a window that has just appeared: pending snap, rule, web app tile or auto-tile, first match.
    void placeNew(const LiveWindow&);
    // Moves the window to `slot` of display `display` (the main display when absent or out of range).
    void place(const LiveWindow&, TileSlot, std::optional<int64_t> display);
    // A "tile-gap" warning of `quorvane doctor` for each display too small for the configured gap.
    std::vector<DoctorCheck> gapChecks();

    WindowAccess& access() { return m_access; }
    FrameAnimator& animator() { return *m_animator; }
    // Where tile mode and notices show from now on.
    void setSurface(TileModeSurface* surface) { m_surface = surface; }
    const std::map<std::string, PendingSnap>& pendingSnaps() const { return m_pendingSnap; }
    bool seededCensus() const { return m_seededCensus; }

private:
    // The focused window unless it is this application's own, else the front window.
    std::optional<LiveWindow> actedOnWindow();
    double gap() const;
    void requestMove(const LiveWindow&, const Frame& to);

    Platform m_platform;
    const ConfigSource& m_config;
    const ApplicationLocator& m_locator;
    BannerSink& m_banner;
    WindowAccess m_access;
    std::unique_ptr<FrameAnimator> m_animator;
    TileModeSurface* m_surface = nullptr;
    std::set<std::string> m_seenWindows;
    // Windows the census has found still being set up, and when it first did (main-loop seconds).
    std::map<std::string, double> m_unreadySince;
    bool m_seededCensus = false;
    std::map<std::string, PendingSnap> m_pendingSnap;
    bool m_autoTileSide = false;
    uint64_t m_layoutCursor = 0;
    bool m_tileMode = false;
    std::function<void()> m_tileModeChanged;
    // Change notices reach the census through this while the object lives.
    WeakSelf<TilingActions> m_self { *this };
};

} // namespace quorvane
