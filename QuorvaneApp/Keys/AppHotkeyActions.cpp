#include "QuorvaneApp/Keys/AppHotkeyActions.h"

#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/FocusAction.h"
#include "QuorvaneApp/Keys/TapAction.h"
#include "QuorvaneApp/Agents/AgentActions.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Tiling/TilingActions.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "QuorvaneApp/WebApps/ApplicationLocator.h"
#include "QuorvaneApp/WebApps/WebAppLocations.h"
#include "Support/QuorvaneError.h"
#include "WebApps/WebAppName.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace quorvane {

namespace {

// The focused window is one of the application's when their origins are this close.
constexpr double sameOrigin = 8;

} // namespace

AppHotkeyActions::AppHotkeyActions(const Platform& platform, TilingActions& tiling, AgentActions& agents,
    const ConfigSource& config, const ApplicationLocator& locator, BannerSink& banner)
    : m_platform(platform)
    , m_tiling(tiling)
    , m_agents(agents)
    , m_config(config)
    , m_locator(locator)
    , m_banner(banner)
{
}

void AppHotkeyActions::perform(const TapAction& action)
{
    const TileAction* tile = std::get_if<TileAction>(&action.value);
    const std::string* token = std::get_if<std::string>(&action.value);
    bool leavesTileMode = (token && *token == "quorvane.tile-mode") || (tile && tile->kind == TileAction::Kind::exit);
    if (leavesTileMode && m_tiling.tileMode()) {
        m_tiling.toggleTileMode();
        return;
    }
    if (token)
        performToken(*token);
    else
        m_tiling.performTile(*tile);
}

void AppHotkeyActions::performToken(const std::string& token)
{
    if (token == "quorvane.tile-mode")
        m_tiling.toggleTileMode();
    else if (token == "quorvane.agent")
        m_agents.launchAgent();
    else if (token == "quorvane.new-app") {
        if (m_onNewApp)
            m_onNewApp();
    }
    else if (token == "quorvane.layout")
        m_tiling.cycleLayouts();
    else
        focusBundle(token);
}

void AppHotkeyActions::focusBundle(const std::string& bundleIdentifier)
{
    Applications& applications = m_platform.applications;
    std::vector<RunningApplication> running = applications.running();
    auto first = std::find_if(running.begin(), running.end(), [&](const RunningApplication& application) {
        return WebAppLocations::isInstance(application, bundleIdentifier);
    });
    bool isRunning = first != running.end();
    std::optional<RunningApplication> front = applications.frontmost();
    bool isFrontmost = front && WebAppLocations::isInstance(*front, bundleIdentifier);

    bool windowControl = m_platform.permissions.windowControlAllowed();
    std::vector<LiveWindow> windows = windowsOf(bundleIdentifier, windowControl);
    std::optional<int> focusedIndex;
    std::optional<LiveWindow> focused;
    if (windowControl)
        focused = m_tiling.access().focusedWindow();
    if (focused) {
        for (size_t index = 0; index < windows.size(); ++index) {
            const Frame& frame = windows[index].frame;
            if (windows[index].pid == focused->pid && std::abs(frame.x - focused->frame.x) < sameOrigin
                && std::abs(frame.y - focused->frame.y) < sameOrigin) {
                focusedIndex = static_cast<int>(index);
                break;
            }
        }
    }

    const GeneralConfig& general = m_config.config().general;
    FocusAction decision = focusAction(isRunning, isFrontmost, static_cast<int>(windows.size()), focusedIndex,
        general.cycleWindows, general.hideOnRepeat);
    switch (decision.kind) {
    case FocusAction::Kind::cycle:
        // The list may have changed between reading and acting.
        if (decision.index >= 0 && static_cast<size_t>(decision.index) < windows.size()) {
            // Raising gives the window focus; activating its process as well could hand focus back to the
            // window of that process the desktop still lists on top.
            m_platform.windowSystem.raise(windows[static_cast<size_t>(decision.index)].handle);
        }
        break;
    case FocusAction::Kind::launch:
        openBundle(bundleIdentifier);
        break;
    case FocusAction::Kind::focus:
        if (isRunning)
            applications.activate(first->pid);
        else
            openBundle(bundleIdentifier);
        break;
    case FocusAction::Kind::hide:
        // One application may run as several processes, each with windows of its own.
        for (const RunningApplication& application : running) {
            if (WebAppLocations::isInstance(application, bundleIdentifier))
                applications.hide(application.pid);
        }
        break;
    }
}

void AppHotkeyActions::openBundle(const std::string& bundleIdentifier)
{
    if (std::optional<std::string> location = m_locator.url(bundleIdentifier)) {
        m_platform.applications.open(*location);
        return;
    }
    m_banner.setBanner("Quorvane could not find " + bundleIdentifier + ".", false);
}

std::vector<LiveWindow> AppHotkeyActions::windowsOf(const std::string& bundleIdentifier, bool windowControl)
{
    if (!windowControl)
        return {};
    std::vector<LiveWindow> windows = m_tiling.access().windows();
    std::erase_if(windows, [&](const LiveWindow& window) { return window.bundleIdentifier != bundleIdentifier; });
    std::stable_sort(
        windows.begin(), windows.end(), [](const LiveWindow& a, const LiveWindow& b) { return a.frame.x < b.frame.x; });
    return windows;
}

} // namespace quorvane
