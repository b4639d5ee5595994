#include "QuorvaneApp/Tiling/TilingActions.h"

#include "Configuration/QuorvaneConfig.h"
#include "Configuration/ResolvedTarget.h"
#include "Hotkeys/TileAction.h"
#include "Hotkeys/TileKeys.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Tiling/StableOrder.h"
#include "QuorvaneApp/WebApps/ApplicationLocator.h"
#include "QuorvaneApp/WebApps/WebAppLocations.h"
#include "Router/DoctorCheck.h"
#include "Support/QuorvaneError.h"
#include "Tiling/DisplayGeometry.h"
#include "Tiling/DisplayNotice.h"
#include "Tiling/TileGeometry.h"
#include "Tiling/WindowBox.h"
#include "WebApps/WebAppName.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace quorvane {

namespace {

// How close (in x) a listed window must be to the acted-on one to be taken for it.
constexpr double sameWindowDistance = 8;
// How far a window on no tile, or at the edge of its tiles, is nudged: a share of its display.
constexpr double nudgeShare = 0.08;
// Tolerance of tile recognition for moves and layouts.
constexpr double slotTolerance = 8;
// Windows whose left edges are this close form one column of a layout.
constexpr double columnBand = 8;

// Whether a listed window is taken for the acted-on one.
bool sameWindow(const LiveWindow& listed, const LiveWindow& actedOn)
{
    return listed.pid == actedOn.pid && std::abs(listed.frame.x - actedOn.frame.x) < sameWindowDistance;
}

} // namespace

TilingActions::TilingActions(
    const Platform& platform, const ConfigSource& config, const ApplicationLocator& locator, BannerSink& banner)
    : m_platform(platform)
    , m_config(config)
    , m_locator(locator)
    , m_banner(banner)
    , m_access(platform.windowSystem, platform.applications)
{
    m_access.setApplicationNames([&config](const std::string& desktopName) {
        return WebAppLocations::bundleIdentifierOf(config.config(), desktopName);
    });
    m_animator = std::make_unique<FrameAnimator>(
        MotionPlatform { m_access, platform.windowSystem, platform.workers, platform.mainLoop });
}

TilingActions::~TilingActions()
{
    m_platform.windowSystem.setChangeHandler({});
}

void TilingActions::start()
{
    m_platform.windowSystem.setChangeHandler(m_self.bind([](TilingActions& tiling) { tiling.census(); }));
}

double TilingActions::gap() const
{
    return m_config.config().general.tileGap;
}

void TilingActions::requestMove(const LiveWindow& window, const Frame& to)
{
    m_animator->move(window.handle, window.pid, to, m_config.config().general.animateTiles);
}

std::optional<LiveWindow> TilingActions::actedOnWindow()
{
    std::optional<LiveWindow> focused = m_access.focusedWindow();
    if (focused && focused->pid != m_platform.applications.ownPid())
        return focused;
    return m_access.frontWindow();
}

// Keys

void TilingActions::performTile(const TileAction& action)
{
    switch (action.kind) {
    case TileAction::Kind::focus:
        focusNeighbor(action.direction);
        break;
    case TileAction::Kind::move:
        moveFocused(action.direction);
        break;
    case TileAction::Kind::layout:
        applyLayoutNumber(action.number);
        break;
    case TileAction::Kind::fill:
        fillFocused();
        break;
    case TileAction::Kind::nextDisplay:
        moveFocusedDisplay(1);
        break;
    case TileAction::Kind::previousDisplay:
        moveFocusedDisplay(-1);
        break;
    case TileAction::Kind::exit:
        if (m_tileMode)
            toggleTileMode();
        break;
    }
    m_animator->commit();
}

void TilingActions::toggleTileMode()
{
    if (!m_tileMode) {
        m_tileMode = true;
        const GeneralConfig& general = m_config.config().general;
        if (m_surface)
            m_surface->show(!m_platform.permissions.inputMonitoringAllowed(), general.tileGap,
                TileKeys::resolved(general.tileHotkeys));
    } else {
        m_tileMode = false;
        if (m_surface)
            m_surface->hide();
    }
    if (m_tileModeChanged)
        m_tileModeChanged();
}

void TilingActions::moveFocused(Direction direction)
{
    std::optional<LiveWindow> window = actedOnWindow();
    if (!window)
        return;
    std::optional<DisplayFacts> display = m_access.screen(window->frame);
    if (!display)
        return;
    const Frame& area = display->visibleFrame;
    Frame target = window->frame;
    std::optional<TileSlot> current = inferSlot(window->frame, area, gap(), slotTolerance);
    std::optional<TileSlot> next = current ? adjacentSlot(*current, direction) : std::nullopt;
    if (next) {
        target = frameForTile(*next, area, gap());
    } else {
        switch (direction) {
        case Direction::left:
            target.x -= nudgeShare * area.width;
            break;
        case Direction::right:
            target.x += nudgeShare * area.width;
            break;
        case Direction::up:
            target.y -= nudgeShare * area.height;
            break;
        case Direction::down:
            target.y += nudgeShare * area.height;
            break;
        }
    }
    std::vector<LiveWindow> listed = m_access.windows();
    auto written = std::find_if(
        listed.begin(), listed.end(), [&](const LiveWindow& candidate) { return sameWindow(candidate, *window); });
    requestMove(written == listed.end() ? *window : *written, target);
}

void TilingActions::focusNeighbor(Direction direction)
{
    std::optional<LiveWindow> window = actedOnWindow();
    if (!window)
        return;
    std::vector<DisplayFacts> displays = m_access.orderedScreens();
    std::optional<DisplayFacts> display = WindowAccess::screen(displays, window->frame);
    std::vector<LiveWindow> candidates;
    for (const LiveWindow& listed : m_access.windows()) {
        if (WindowAccess::screen(displays, listed.frame) == display)
            candidates.push_back(listed);
    }
    auto self = std::find_if(candidates.begin(), candidates.end(),
        [&](const LiveWindow& candidate) { return sameWindow(candidate, *window); });
    if (self == candidates.end())
        return;
    std::vector<WindowBox> boxes;
    for (const LiveWindow& candidate : candidates)
        boxes.push_back(WindowBox { candidate.id, candidate.frame });
    std::optional<std::string> neighbor = neighborWindow(self->id, direction, boxes);
    if (!neighbor)
        return;
    auto chosen = std::find_if(
        candidates.begin(), candidates.end(), [&](const LiveWindow& candidate) { return candidate.id == *neighbor; });
    // Raising gives the window focus; activating its process as well could hand focus back to the window of
    // that process the desktop still lists on top.
    m_platform.windowSystem.raise(chosen->handle);
}

void TilingActions::applyLayoutNumber(int number)
{
    std::optional<LayoutKind> kind = layoutKind(number);
    if (!kind)
        return;
    std::vector<DisplayFacts> displays = m_access.orderedScreens();
    std::optional<DisplayFacts> display = WindowAccess::mainScreen(displays);
    if (!display)
        return;
    std::vector<LiveWindow> windows;
    for (const LiveWindow& listed : m_access.windows()) {
        if (WindowAccess::screen(displays, listed.frame) == display)
            windows.push_back(listed);
    }
    // Columns left to right, then top to bottom within a column, as the windows stand now.
    stableOrder(windows, [](const LiveWindow& a, const LiveWindow& b) {
        double apart = std::abs(a.frame.x - b.frame.x);
        return apart > columnBand ? a.frame.x < b.frame.x : a.frame.y < b.frame.y;
    });
    int count = std::max(static_cast<int>(windows.size()), 1);
    std::vector<Frame> frames = framesForLayout(*kind, count, display->visibleFrame, gap());
    for (size_t index = 0; index < windows.size() && index < frames.size(); ++index)
        requestMove(windows[index], frames[index]);
}

void TilingActions::fillFocused()
{
    std::optional<LiveWindow> window = actedOnWindow();
    if (!window)
        return;
    if (std::optional<DisplayFacts> display = m_access.screen(window->frame))
        requestMove(*window, frameForTile(TileSlot::fill, display->visibleFrame, gap()));
}

void TilingActions::moveFocusedDisplay(int delta)
{
    std::vector<Frame> areas;
    for (const DisplayFacts& display : m_access.orderedScreens())
        areas.push_back(display.visibleFrame);
    std::optional<LiveWindow> window = actedOnWindow();
    DisplayShift shift = displayMove(window ? window->frame : Frame {}, areas, delta, gap());
    if (shift.kind == DisplayShift::Kind::onlyOneDisplay) {
        if (m_surface)
            m_surface->showNotice(
                std::string(DisplayNotice::onlyOne), window ? std::optional(window->frame) : std::nullopt);
        return;
    }
    if (window)
        requestMove(*window, shift.frame);
}

void TilingActions::cycleLayouts()
{
    const std::vector<Layout>& layouts = m_config.config().layouts;
    if (layouts.empty()) {
        m_banner.setBanner("No saved layouts.", false);
        return;
    }
    std::string name = layouts[m_layoutCursor % layouts.size()].name;
    ++m_layoutCursor;
    try {
        applyLayout(name);
        m_banner.setBanner("", false);
    } catch (const QuorvaneError& error) {
        m_banner.setBanner(error.message(), false);
    }
}

// Commands

void TilingActions::snap(const std::string& bundleIdentifier, TileSlot slot, std::optional<int64_t> display)
{
    // Without window control nothing would move, and the command must not say it did.
    Permissions& permissions = m_platform.permissions;
    if (!permissions.windowControlAllowed())
        throw QuorvaneError::permission(permissions.wording().windowControlDenied);
    for (const LiveWindow& window : m_access.windows()) {
        if (window.bundleIdentifier == bundleIdentifier) {
            place(window, slot, display);
            m_animator->commit();
            return;
        }
    }
    std::optional<std::string> location = m_locator.url(bundleIdentifier);
    if (!location) {
        // Running with only minimised, full-screen or tiny windows, it is there, just not tileable.
        std::vector<RunningApplication> running = m_platform.applications.running();
        if (std::ranges::any_of(running, [&](const RunningApplication& application) {
                return application.bundleIdentifier == bundleIdentifier;
            }))
            throw QuorvaneError::notFound(bundleIdentifier + " runs, but has no window that can be tiled.");
        throw QuorvaneError::notFound("No app with bundle id " + bundleIdentifier + ".");
    }
    m_pendingSnap[bundleIdentifier] = PendingSnap { slot, display };
    // Before the first census every window counts as present at launch and is never placed: seed it now,
    // so the window the launch opens is new.
    if (!m_seededCensus)
        census();
    if (!m_platform.applications.open(*location)) {
        m_pendingSnap.erase(bundleIdentifier);
        throw QuorvaneError::failed("Quorvane could not open " + bundleIdentifier + ".");
    }
}

std::vector<DoctorCheck> TilingActions::gapChecks()
{
    std::vector<DoctorCheck> checks;
    std::vector<DisplayFacts> displays = m_access.orderedScreens();
    for (size_t index = 0; index < displays.size(); ++index) {
        const Frame& area = displays[index].visibleFrame;
        if (gap() <= largestGap(area))
            continue;
        auto points = [](double value) { return std::to_string(std::llround(value)); };
        checks.push_back(DoctorCheck { "tile-gap", DoctorCheck::Status::warn,
            "tile_gap = " + points(gap()) + " is too large for display " + std::to_string(index + 1) + " ("
                + points(area.width) + " × " + points(area.height) + "): tiles there take a smaller gap, so that no "
                + "window comes out under " + points(manageableSize) + " × " + points(manageableSize) + "." });
    }
    return checks;
}

Layout TilingActions::captureLayout(const std::string& name)
{
    Layout layout { name, {} };
    const QuorvaneConfig& config = m_config.config();
    std::vector<DisplayFacts> displays = m_access.orderedScreens();
    for (const LiveWindow& window : m_access.windows()) {
        const WebAppRecord* app = WebAppLocations::webApp(config, window.bundleIdentifier);
        std::string target = app ? app->slug : window.bundleIdentifier;
        std::optional<DisplayFacts> display = WindowAccess::screen(displays, window.frame);
        if (!display)
            continue;
        if (std::optional<TileSlot> slot = inferSlot(window.frame, display->visibleFrame, gap(), slotTolerance))
            layout.assignments.push_back(LayoutAssignment { target, std::string(toString(*slot)) });
    }
    if (layout.assignments.empty())
        throw QuorvaneError::failed("No tiled windows to save.");
    return layout;
}

void TilingActions::applyLayout(const std::string& name)
{
    const QuorvaneConfig& config = m_config.config();
    auto layout = std::find_if(
        config.layouts.begin(), config.layouts.end(), [&](const Layout& layout) { return layout.name == name; });
    if (layout == config.layouts.end())
        throw QuorvaneError::notFound("No layout named " + name + ".");
    std::vector<LiveWindow> listed = m_access.windows();
    std::vector<DisplayFacts> displays = m_access.orderedScreens();
    for (const LayoutAssignment& assignment : layout->assignments) {
        std::optional<TileSlot> slot = parseTileSlot(assignment.tile);
        if (!slot)
            continue;
        // A saved target is a window's own id, which need not look like a bundle identifier ("xterm", a
        // window class): one that names no web app is matched as it stands.
        std::optional<ResolvedTarget> target = resolveTarget(assignment.target, config);
        const std::string& bundleIdentifier = target ? target->bundleIdentifier() : assignment.target;
        std::vector<LiveWindow> windows;
        for (const LiveWindow& window : listed) {
            if (window.bundleIdentifier == bundleIdentifier)
                windows.push_back(window);
        }
        std::optional<DisplayFacts> display = windows.empty() ? WindowAccess::mainScreen(displays)
                                                              : WindowAccess::screen(displays, windows.front().frame);
        if (!display)
            continue;
        Frame region = frameForTile(*slot, display->visibleFrame, gap());
        std::vector<Frame> frames = stack(region, static_cast<int>(windows.size()), gap());
        for (size_t index = 0; index < windows.size(); ++index)
            requestMove(windows[index], frames[index]);
    }
    m_animator->commit();
}

// New windows

void TilingActions::census()
{
    if (m_platform.permissions.windowControlAllowed())
        censusWithWindowControl();
}

void TilingActions::censusWithWindowControl()
{
    double now = m_platform.mainLoop.now();
    std::set<std::string> ids;
    std::map<std::string, double> unready;
    std::vector<LiveWindow> appeared;
    for (const LiveWindow& window : m_access.windows()) {
        bool seen = m_seenWindows.contains(window.id);
        // A new window caught while it is set up is not seen yet, so that a rule on the title it is about
        // to get still applies; one that never gets ready is taken as it is after a while. A window once
        // seen stays seen while it lasts, whatever happens to its title; those of launch time are all seen.
        if (!seen && !window.ready && m_seededCensus) {
            auto first = m_unreadySince.find(window.id);
            double since = first == m_unreadySince.end() ? now : first->second;
            if (now - since < readyWait) {
                unready.emplace(window.id, since);
                continue;
            }
        }
        ids.insert(window.id);
        if (!seen)
            appeared.push_back(window);
    }
    m_seenWindows = std::move(ids);
    m_unreadySince = std::move(unready);
    if (!m_seededCensus) {
        m_seededCensus = true;
        return;
    }
    for (const LiveWindow& window : appeared)
        placeNew(window);
}

void TilingActions::placeNew(const LiveWindow& window)
{
    auto pending = m_pendingSnap.find(window.bundleIdentifier);
    if (pending != m_pendingSnap.end()) {
        PendingSnap snap = pending->second;
        m_pendingSnap.erase(pending);
        place(window, snap.slot, snap.display);
        return;
    }
    const QuorvaneConfig& config = m_config.config();
    if (std::optional<TileRule> rule = matchingRule(config, window.bundleIdentifier, window.title)) {
        if (std::optional<TileSlot> slot = parseTileSlot(rule->tile)) {
            place(window, *slot, rule->display);
            return;
        }
    }
    for (const WebAppRecord& app : config.apps) {
        if (app.spec.bundleIdentifier != window.bundleIdentifier || !app.spec.tile)
            continue;
        if (std::optional<TileSlot> slot = parseTileSlot(*app.spec.tile)) {
            place(window, *slot, std::nullopt);
            return;
        }
    }
    if (config.general.autoTile) {
        place(window, m_autoTileSide ? TileSlot::rightHalf : TileSlot::leftHalf, std::nullopt);
        m_autoTileSide = !m_autoTileSide;
    }
}

void TilingActions::place(const LiveWindow& window, TileSlot slot, std::optional<int64_t> display)
{
    std::optional<DisplayFacts> screen = m_access.screen(display);
    if (!screen)
        return;
    requestMove(window, frameForTile(slot, screen->visibleFrame, gap()));
}

} // namespace quorvane
