#pragma once

#include "QuorvaneApp/Platform/Platform.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class AgentActions;
class ApplicationLocator;
class BannerSink;
class ConfigSource;
class TilingActions;
struct TapAction;
struct LiveWindow;

// What fired hotkeys do: tile actions go to tiling, built-in tokens run their command, and any other token
// launches, focuses, cycles or hides the application it names. Owned by the model; main thread only.
class AppHotkeyActions {
public:
    AppHotkeyActions(const Platform&, TilingActions&, AgentActions&, const ConfigSource&, const ApplicationLocator&,
        BannerSink&);

    // Leaves tile mode on its own toggle or the exit action; otherwise hands the action on.
    void perform(const TapAction&);
    // Runs a built-in token or focuses the application it names.
    void performToken(const std::string& token);
    // The application hotkey: launch when not running, activate when behind, else cycle its windows or hide it.
    void focusBundle(const std::string& bundleIdentifier);
    // Launches the application, or says in the banner that it cannot be found.
    void openBundle(const std::string& bundleIdentifier);

    // What the new-web-app token opens.
    void setOnNewApp(std::function<void()> showPanel) { m_onNewApp = std::move(showPanel); }

private:
    // The application's manageable windows, left to right; windows with equal x keep the desktop's order.
    // Without window control the desktop shows no windows, so an application in front is focused or hidden.
    std::vector<LiveWindow> windowsOf(const std::string& bundleIdentifier, bool windowControl);

    Platform m_platform;
    TilingActions& m_tiling;
    AgentActions& m_agents;
    const ConfigSource& m_config;
    const ApplicationLocator& m_locator;
    BannerSink& m_banner;
    std::function<void()> m_onNewApp;
};

} // namespace quorvane
