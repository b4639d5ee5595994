#pragma once

#include "Hotkeys/TileKeys.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/OverlayPanels.h"
#include "QuorvaneApp/Tiling/TileModeSurface.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class Permissions;
class WindowAccess;
struct DisplayFacts;
struct LiveWindow;

// What tiling shows: the tile-mode cheat sheet with the rings around managed windows, and the one-line
// notice. Decides what each shows and where; the backend draws them. Main thread only.
class TileOverlay : public TileModeSurface {
public:
    // Rings are drawn around at most this many windows.
    static constexpr size_t maximumRings = 12;
    static constexpr double refreshSeconds = 0.6;

    TileOverlay(MainLoop&, OverlayPanels&, WindowAccess&, Permissions&);
    ~TileOverlay() override;
    TileOverlay(const TileOverlay&) = delete;
    TileOverlay& operator=(const TileOverlay&) = delete;

    // Shows the cheat sheet and refreshes it every 0.6 s. `fallback`: the bare keys are unavailable.
    void show(bool fallback, double gap, std::vector<ResolvedTileChord> tileKeys) override;
    // Hides the cheat sheet and the rings and clears the subtitle.
    void hide() override;
    // Places the cheat sheet again and brings the subtitle and the rings up to date.
    void refresh();
    // Shows `text` for one second, near the window frame `near` when given; a new notice restarts the second.
    void showNotice(const std::string& text, const std::optional<Frame>& near) override;
    // Whether the window is one of the overlay's own panels or rings.
    bool owns(const std::string& windowId);
    // What the cheat sheet's "Open Settings" button does; it shows while the bare keys are unavailable.
    void setOnOpenSettings(std::function<void()> open) { m_openSettings = std::move(open); }

    bool shown() const { return m_shown; }
    bool fallback() const { return m_fallback; }
    const std::string& subtitle() const { return m_subtitle; }
    const std::string& notice() const { return m_notice; }
    const std::vector<ResolvedTileChord>& tileKeys() const { return m_tileKeys; }

    // The subtitle for a focused window: its title (or "Focused window") and the tile it is on, within 28
    // points in every component.
    static std::string subtitleFor(const LiveWindow& focused, const Frame& area, double gap);
    // The rings for the first twelve windows; the focused window's ring is 5 points larger all round.
    static std::vector<Ring> ringsFor(const std::vector<LiveWindow>& windows, const std::optional<LiveWindow>& focused);
    // The cheat sheet's frame on a display's visible area.
    static Frame cheatSheetFrame(const Frame& area, bool fallback);

private:
    // Shows the cheat sheet on the main display, or where it was without one.
    void place(const std::optional<DisplayFacts>& mainDisplay);
    PanelContent cheatSheetContent() const;

    MainLoop& m_loop;
    OverlayPanels& m_panels;
    WindowAccess& m_access;
    Permissions& m_permissions;
    bool m_shown = false;
    bool m_fallback = false;
    double m_gap = 0;
    std::vector<ResolvedTileChord> m_tileKeys;
    std::string m_subtitle;
    std::string m_notice;
    Frame m_panelFrame;
    TimerId m_timer = 0;
    TimerId m_noticeTimer = 0;
    std::function<void()> m_openSettings;
};

} // namespace quorvane
