#pragma once

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "Configuration/ResolvedTarget.h"
#include "QuorvaneApp/Model/AppEnvironment.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/Platform.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/SettingsTab.h"
#include "QuorvaneApp/State/SkillRow.h"
#include "QuorvaneApp/Views/AgentSettings.h"
#include "Router/QuorvaneControlling.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class AgentActions;
class AppKeys;
class AgentToast;
class AppHotkeyActions;
class ChordCheck;
class ApplicationLocator;
class ConfigLifecycle;
class HotkeyCenter;
class HotkeyEdits;
class NewAppPanel;
class OnboardingPanel;
class RequestRunner;
class SocketLink;
class SettingsWindow;
class SocketServer;
class StatusMenu;
class TileOverlay;
class TilingActions;
class UpdateChecker;
class WebHostRefresh;
struct CommandContext;
struct Invocation;
struct RPCResponse;

// The owner of the application's parts on the main thread: the configuration, the socket, tiling, keys,
// agents and web-app hosts, all over one platform. It wires them together and answers commands; each part
// gets what it needs, never the model. Every member runs on the main thread.
class AppModel : public QuorvaneControlling {
public:
    // Steps 1 to 9 of start-up: load or create the config, then (unless a setup step is asked for) keys,
    // socket, file watch and the census timer.
    AppModel(const Platform&, AppEnvironment);
    ~AppModel() override;
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    // The one model of the process while it exists.
    static AppModel* shared();

    // The rest of launching, at most once: login item, `apply`, onboarding.
    void finishLaunch();
    // One tick of the 1.2-second timer: the window census and the permission polls.
    void census();
    // The application is terminating: panels skip their close-time actions, the socket stops.
    void beginQuitting();

    // Configuration.
    ConfigLifecycle& configuration() { return *m_configuration; }
    const ConfigFile& file() const;
    const QuorvaneConfig& config() const;
    // Grows by one whenever another configuration comes into force.
    uint64_t configGeneration() const;
    const std::string& banner() const { return m_banner.text(); }
    bool bannerIsSuccess() const { return m_banner.isSuccess(); }
    // Sets the status line; its tone stays as it is while `holdBannerTone` is set.
    void setBanner(std::string text, bool success) { m_banner.setBanner(std::move(text), success); }
    bool holdBannerTone() const { return m_banner.holdTone(); }
    void setHoldBannerTone(bool hold) { m_banner.setHoldTone(hold); }
    // The first problem of general settings about to be saved, as a sentence, or none.
    std::optional<std::string> validate(const GeneralConfig&) const;
    // Validates, saves and applies general settings.
    void setGeneral(const GeneralConfig&);

    // Socket and commands.
    void startSocket();
    // Runs one command line on the main thread, as the socket and the settings window do.
    RPCResponse handleRPC(const std::vector<std::string>& arguments);
    // As above, for a command line the socket thread has parsed, with the site icon already fetched for an
    // `app add` of `iconURL`.
    RPCResponse handleRPC(
        const Invocation&, const std::optional<std::string>& iconURL, const std::optional<std::string>& iconBytes);
    // The target a user's word names, dotless identifiers of this desktop's applications included: what
    // commands and saved layouts resolve their targets with.
    std::optional<ResolvedTarget> resolveTarget(std::string_view text);
    // The path the socket listens on (or would).
    const std::string& socketPath() const { return m_socketPath; }
    bool socketListening() const { return m_socketListening; }

    // Live window control for commands.
    void snap(const std::string& bundleIdentifier, TileSlot, std::optional<int64_t> display) override;
    Layout captureLayout(const std::string& name) override;
    void applyLayout(const std::string& name) override;
    std::vector<DoctorCheck> permissionChecks() override;
    std::string macName() override;

    // Where the application is installed, if anywhere.
    std::optional<std::string> url(const std::string& bundleIdentifier);
    // Brings up the settings window on `tab`.
    void showSettings(SettingsTab tab);
    // The tab the settings window shows (or showed last), once it was asked for.
    std::optional<SettingsTab> settingsTab() const;
    // Adds a folder of the person's own to the skill folders (nothing for a blank or listed one) and reads
    // the folders again.
    void addCustomSkillFolder(const std::string& text);
    // Ends the application as a termination signal does.
    void quit();

    // The parts, for the views and the tests.
    const Platform& platform() const { return m_platform; }
    const QuorvanePaths& paths() const { return m_paths; }
    const AppEnvironment& environment() const { return m_environment; }
    TilingActions& tiling() { return *m_tiling; }
    // The cheat sheet with its rings and the notice, and the agent's toast.
    TileOverlay& overlay() { return *m_overlay; }
    AgentToast& agentToast() { return *m_agentToast; }
    // The tray item's menu; none in a setup probe.
    StatusMenu* statusMenu() { return m_statusMenu.get(); }
    // The release feed's checks; none without a feed, or in a setup probe.
    UpdateChecker* updater() { return m_updater.get(); }
    // The settings window; none in a setup probe.
    SettingsWindow* settingsWindow() { return m_settings.get(); }
    // The panel that makes a web app; none in a setup probe.
    NewAppPanel* newAppPanel() { return m_newApp.get(); }
    // The guided setup's panel.
    OnboardingPanel& onboarding() { return *m_onboarding; }
    // Opens the onboarding panel at the step with this raw value (the first one for any other).
    void showOnboarding(int step);
    HotkeyCenter& hotkeys() { return *m_hotkeys; }
    // What fired hotkeys do.
    AppHotkeyActions& keys() { return *m_keys; }
    // The settings window's hotkey edits.
    HotkeyEdits& hotkeyEdits() { return *m_edits; }
    AgentActions& agents() { return *m_agents; }
    // The web hosts inside web-app bundles, and a bundle's details after an edit.
    WebHostRefresh& webHosts() { return *m_webHosts; }
    bool tileMode() const;
    const std::vector<SkillRow>& skills() const { return m_skills; }
    bool accessibilityOn() const { return m_accessibilityOn; }
    bool regrantingAccessibility() const { return m_regrantingAccessibility; }
    bool quitting() const { return m_quitting; }
    bool didFinishLaunch() const { return m_didFinishLaunch; }
    // Whether start-up stopped after the configuration because a setup step was asked for.
    bool setupProbe() const { return m_setupProbe; }
    // The onboarding step shown, when the onboarding panel is open.
    std::optional<int> onboardingStep() const;
    TimerId censusTimer() const { return m_censusTimer; }

private:
    // Everything derived from the configuration follows a new one.
    void configurationChanged();
    // What every command's context shares.
    CommandContext commandBase();
    void refreshSkills();
    // The settings window over its panes, the application's own keys and the cheat sheet's way there.
    void makeSettingsWindow();
    void makeOnboarding();
    AgentSettings::Actions agentActions();
    void sweepTemporaryFiles();
    void stopSocket();
    std::string currentBuild() const;
    // Steps whose subject lives elsewhere or comes later.
    void syncLoginItem();
    void sweepWebHosts();
    void startUpdater();
    void rememberAccessibilityGrant();

    Platform m_platform;
    AppEnvironment m_environment;
    QuorvanePaths m_paths;
    Banner m_banner;
    std::unique_ptr<ConfigLifecycle> m_configuration;
    ApplicationIdCheck m_isApplicationId;
    std::unique_ptr<RequestRunner> m_requests;
    std::unique_ptr<ApplicationLocator> m_locator;
    std::vector<SkillRow> m_skills;
    std::string m_skillText;
    std::vector<std::string> m_manifestFolders;
    bool m_accessibilityOn = false;
    bool m_regrantingAccessibility = false;
    std::unique_ptr<TilingActions> m_tiling;
    std::unique_ptr<TileOverlay> m_overlay;
    std::unique_ptr<AgentToast> m_agentToast;
    std::unique_ptr<AgentActions> m_agents;
    std::unique_ptr<AppHotkeyActions> m_keys;
    std::unique_ptr<HotkeyCenter> m_hotkeys;
    std::unique_ptr<HotkeyEdits> m_edits;
    // Before the menu, which reads it, and gone after it.
    std::unique_ptr<UpdateChecker> m_updater;
    std::unique_ptr<StatusMenu> m_statusMenu;
    std::unique_ptr<ChordCheck> m_chordCheck;
    std::unique_ptr<SettingsWindow> m_settings;
    std::unique_ptr<NewAppPanel> m_newApp;
    std::unique_ptr<OnboardingPanel> m_onboarding;
    std::unique_ptr<AppKeys> m_appKeys;
    std::optional<SettingsTab> m_settingsTab;
    std::unique_ptr<WebHostRefresh> m_webHosts;
    std::string m_socketPath;
    std::shared_ptr<SocketServer> m_server;
    std::shared_ptr<SocketLink> m_socketLink;
    bool m_socketListening = false;
    std::optional<std::string> m_rememberedBuild;
    TimerId m_censusTimer = 0;
    uint64_t m_censusTicks = 0;
    bool m_setupProbe = false;
    bool m_didFinishLaunch = false;
    bool m_quitting = false;
};

} // namespace quorvane
