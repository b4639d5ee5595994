#include "QuorvaneApp/Views/TileOverlay.h"

#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "QuorvaneApp/Views/KeyCaps.h"
#include "Tiling/DisplayGeometry.h"
#include "Tiling/DisplayNotice.h"
#include "Tiling/TileGeometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quorvane {

namespace {

constexpr double panelMargin = 24;
constexpr double cheatSheetMaximumWidth = 1080;
constexpr double cheatSheetHeight = 420;
constexpr double cheatSheetFallbackHeight = 500;
constexpr double cheatSheetBottomInset = 28;
constexpr double subtitleTolerance = 28;
constexpr double ringMatch = 8;
constexpr double focusedRingGrowth = 5;
constexpr NoticeSize noticeSize { 260, 36 };

std::string groupHeading(TileKeyGroup group)
{
    switch (group) {
    case TileKeyGroup::focus:
        return "Focus";
    case TileKeyGroup::move:
        return "Move window";
    case TileKeyGroup::layout:
        return "Layouts";
    case TileKeyGroup::more:
        return "More";
    }
    return "More";
}

bool within(const Frame& a, const Frame& b, double tolerance)
{
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance
        && std::abs(a.width - b.width) <= tolerance && std::abs(a.height - b.height) <= tolerance;
}

} // namespace

TileOverlay::TileOverlay(MainLoop& loop, OverlayPanels& panels, WindowAccess& access, Permissions& permissions)
    : m_loop(loop)
    , m_panels(panels)
    , m_access(access)
    , m_permissions(permissions)
{
    m_panels.setOnButton([this](PanelKind kind) {
        // The button may close the cheat sheet, and this handler with it: the call is made from a copy.
        if (kind == PanelKind::cheatSheet && m_shown && m_openSettings) {
            std::function<void()> open = m_openSettings;
            open();
        }
    });
}

TileOverlay::~TileOverlay()
{
    m_panels.setOnButton(nullptr);
    for (TimerId timer : { m_timer, m_noticeTimer }) {
        if (timer)
            m_loop.cancelTimer(timer);
    }
}

void TileOverlay::show(bool fallback, double gap, std::vector<ResolvedTileChord> tileKeys)
{
    m_shown = true;
    m_fallback = fallback;
    m_gap = gap;
    m_tileKeys = std::move(tileKeys);
    refresh();
    if (!m_timer)
        m_timer = m_loop.addTimer(refreshSeconds, true, [this] { refresh(); });
}

void TileOverlay::hide()
{
    m_shown = false;
    if (m_timer)
        m_loop.cancelTimer(std::exchange(m_timer, 0));
    m_panels.hide(PanelKind::cheatSheet);
    m_panels.setRings({});
    m_subtitle.clear();
}

Frame TileOverlay::cheatSheetFrame(const Frame& area, bool fallback)
{
    double width = std::min(area.width - panelMargin, cheatSheetMaximumWidth);
    double height = fallback ? cheatSheetFallbackHeight : cheatSheetHeight;
    return Frame { area.x + (area.width - width) / 2, area.maxY() - cheatSheetBottomInset - height, width, height };
}

void TileOverlay::place(const std::optional<DisplayFacts>& mainDisplay)
{
    // Without a display the panel keeps the frame it had.
    if (mainDisplay)
        m_panelFrame = cheatSheetFrame(mainDisplay->visibleFrame, m_fallback);
    m_panels.show(PanelKind::cheatSheet, m_panelFrame, cheatSheetContent());
}

void TileOverlay::refresh()
{
    if (!m_shown)
        return;
    if (!m_permissions.windowControlAllowed()) {
        place(WindowAccess::mainScreen(m_access.orderedScreens()));
        m_panels.setRings({});
        return;
    }
    // The windows first: the displays and the focused window of the same piece of work are read off them.
    std::vector<LiveWindow> windows = m_access.windows();
    std::vector<DisplayFacts> displays = m_access.orderedScreens();
    std::optional<LiveWindow> focused = m_access.focusedWindow();
    m_subtitle.clear();
    if (focused) {
        if (std::optional<DisplayFacts> display = WindowAccess::screen(displays, focused->frame))
            m_subtitle = subtitleFor(*focused, display->visibleFrame, m_gap);
    }
    place(WindowAccess::mainScreen(displays));
    m_panels.setRings(ringsFor(windows, focused));
}

std::string TileOverlay::subtitleFor(const LiveWindow& focused, const Frame& area, double gap)
{
    std::string text = focused.title.empty() ? "Focused window" : focused.title;
    for (TileSlot slot : allTileSlots) {
        if (within(frameForTile(slot, area, gap), focused.frame, subtitleTolerance))
            return text + " · " + std::string(toString(slot));
    }
    return text;
}

std::vector<Ring> TileOverlay::ringsFor(
    const std::vector<LiveWindow>& windows, const std::optional<LiveWindow>& focused)
{
    std::vector<Ring> rings;
    for (size_t index = 0; index < windows.size() && index < maximumRings; ++index) {
        const LiveWindow& window = windows[index];
        bool isFocused = focused && window.pid == focused->pid
            && std::abs(window.frame.x - focused->frame.x) <= ringMatch
            && std::abs(window.frame.y - focused->frame.y) <= ringMatch;
        Frame frame = window.frame;
        if (isFocused) {
            frame = Frame { frame.x - focusedRingGrowth, frame.y - focusedRingGrowth,
                frame.width + 2 * focusedRingGrowth, frame.height + 2 * focusedRingGrowth };
        }
        rings.push_back(Ring { frame, isFocused });
    }
    return rings;
}

PanelContent TileOverlay::cheatSheetContent() const
{
    PanelContent content;
    content.title = "Tile mode";
    content.subtitle = m_subtitle;
    for (const ResolvedTileChord& key : m_tileKeys) {
        std::vector<std::string> caps = KeyCaps::of(key.chord);
        if (caps.empty())
            caps = { key.chord };
        content.rows.push_back(PanelRow {
            groupHeading(key.group), key.panelLabel, key.chord, std::move(caps), static_cast<unsigned>(key.group) });
    }
    content.notes = { "Shift + arrows or HJKL", "Previous / next display", "Fill the screen", "Return or Esc leaves",
        "These chords work any time. While this panel is open, the bare keys work too." };
    if (m_fallback) {
        content.notes.push_back(m_permissions.wording().bareKeysWait);
        if (m_openSettings)
            content.button = "Open Settings";
    }
    return content;
}

void TileOverlay::showNotice(const std::string& text, const std::optional<Frame>& near)
{
    m_notice = text;
    std::optional<DisplayFacts> display = near ? m_access.screen(*near) : m_access.mainScreen();
    if (display) {
        Frame frame = displayNoticeFrame(near, noticeSize, display->visibleFrame);
        m_panels.show(PanelKind::notice, frame, PanelContent { text, "", {}, {} });
    }
    if (m_noticeTimer)
        m_loop.cancelTimer(m_noticeTimer);
    m_noticeTimer = m_loop.addTimer(DisplayNotice::seconds, false, [this] {
        m_noticeTimer = 0;
        m_panels.hide(PanelKind::notice);
    });
}

bool TileOverlay::owns(const std::string& windowId)
{
    return m_panels.owns(windowId);
}

} // namespace quorvane
