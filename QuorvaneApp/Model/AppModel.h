#pragma once

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "Configuration/ResolvedTarget.h"
#include "QuorvaneApp/Model/AppEnvironment.h"
#include "QuorvaneApp/Model/SettingsTab.h"
#include "QuorvaneApp/Model/SkillRow.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/Platform.h"
#include "Router/QuorvaneControlling.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

class AgentActions;
class AppHotkeyActions;
class ConfigStore;
class HotkeyEdits;
class SocketLink;
class ConfigWatch;
class HotkeyCenter;
class SocketServer;
class TilingActions;
class WebHostRefresh;
struct CommandContext;
struct CommandOutput;
struct Invocation;
struct RPCResponse;
struct SavedShortcut;
struct TapAction;
struct TileAction;

// The hub of the application: one object on the main thread that owns the configuration, the socket, the
// census and the tiling and key machinery, all over one platform. Every member runs on the main thread.
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
    // Rebuilds every hotkey registration from the configuration.
    void rebind();
    // Census tick: the keyboard tap starts once it may, and the keys follow.
    void noteInputMonitoring();
    // The application is terminating: panels skip their close-time actions, the socket stops.
    void beginQuitting();

    // Configuration.
    const ConfigFile& file() const;
    const QuorvaneConfig& config() const { return m_config; }
    // Grows by one whenever another configuration comes into force.
    uint64_t configGeneration() const { return m_configGeneration; }
    const std::string& banner() const { return m_banner; }
    bool bannerIsSuccess() const { return m_bannerIsSuccess; }
    // Sets the status line; its tone stays as it is while `holdBannerTone` is set.
    void setBanner(std::string text, bool success);
    bool holdBannerTone() const { return m_holdBannerTone; }
    void setHoldBannerTone(bool hold) { m_holdBannerTone = hold; }
    // Starts following the config file on disk.
    void watchConfig();
    // Takes in a change of the config file on disk; a broken one leaves the last good copy in force.
    void reloadFromDisk();
    // Applies `edit` to the current file under the config lock and saves the result when `edit` answers true
    // and the text changed. Gives the sentence of a failed save, which is also the banner.
    std::optional<std::string> persist(const std::function<bool(ConfigFile&)>& edit);
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
    CommandContext makeContext();
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

    // Keys: what fired hotkeys do.
    void perform(const TapAction&);
    void performToken(const std::string& token);
    void performTile(const TileAction&);
    void toggleTileMode();
    void focusBundle(const std::string& bundleIdentifier);
    void openBundle(const std::string& bundleIdentifier);
    // Where the application is installed, if anywhere.
    std::optional<std::string> url(const std::string& bundleIdentifier);
    // The settings window's hotkey edits, run as the command line's `hotkey set` and `hotkey unset`.
    void setShortcutHotkey(const SavedShortcut&, const std::string& chord);
    void setAppHotkey(const std::string& slug, const std::string& chord);
    void setNativeHotkey(const std::string& chord, const std::string& bundle);
    void replaceNativeHotkey(const std::string& oldChord, const std::string& newChord, const std::string& bundle);
    void unsetHotkey(const std::string& chord);
    // The agent hotkey, and the first-run guide's agent choice.
    void launchAgent();
    void applyAgentSetup(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier);
    // Brings up the settings window on `tab`.
    void showSettings(SettingsTab tab);
    // The tab the settings window shows, once it was asked for.
    std::optional<SettingsTab> settingsTab() const { return m_settingsTab; }

    // State the views and later parts read.
    const Platform& platform() const { return m_platform; }
    const QuorvanePaths& paths() const { return m_paths; }
    const AppEnvironment& environment() const { return m_environment; }
    TilingActions& tiling() { return *m_tiling; }
    HotkeyCenter& hotkeys() { return *m_hotkeys; }
    // The web hosts inside web-app bundles, and a bundle's details after an edit.
    WebHostRefresh& webHosts() { return *m_webHosts; }
    bool tileMode() const { return m_tileMode; }
    void setTileMode(bool on) { m_tileMode = on; }
    const std::vector<SkillRow>& skills() const { return m_skills; }
    bool accessibilityOn() const { return m_accessibilityOn; }
    bool regrantingAccessibility() const { return m_regrantingAccessibility; }
    bool quitting() const { return m_quitting; }
    bool didFinishLaunch() const { return m_didFinishLaunch; }
    // Whether start-up stopped after the configuration because a setup step was asked for.
    bool setupProbe() const { return m_setupProbe; }
    // The onboarding step shown, when the onboarding panel is open.
    std::optional<int> onboardingStep() const { return m_onboardingStep; }
    TimerId censusTimer() const { return m_censusTimer; }

private:
    // Runs a command that cannot change the configuration against the one in force: no lock, no save.
    CommandOutput runWithoutChanges(const Invocation&, CommandContext&);
    void loadConfig();
    // Brings `config` and everything derived from it in line with a new file.
    void adopt();
    void refreshSkills();
    void sweepTemporaryFiles();
    void stopSocket();
    std::string currentBuild() const;
    // Steps whose subject lives elsewhere or comes later.
    void syncLoginItem();
    void showOnboarding(int step);
    void sweepWebHosts();
    void startUpdater();
    void rememberAccessibilityGrant();

    Platform m_platform;
    AppEnvironment m_environment;
    QuorvanePaths m_paths;
    std::unique_ptr<ConfigStore> m_store;
    std::unique_ptr<ConfigWatch> m_watch;
    QuorvaneConfig m_config;
    // The text `m_config` was decoded from.
    std::string m_adoptedText;
    uint64_t m_configGeneration = 0;
    bool m_tileMode = false;
    std::string m_banner;
    bool m_bannerIsSuccess = false;
    bool m_holdBannerTone = false;
    std::vector<SkillRow> m_skills;
    std::string m_skillText;
    std::vector<std::string> m_manifestFolders;
    bool m_accessibilityOn = false;
    bool m_regrantingAccessibility = false;
    std::unique_ptr<TilingActions> m_tiling;
    std::unique_ptr<HotkeyCenter> m_hotkeys;
    std::unique_ptr<AppHotkeyActions> m_actions;
    std::unique_ptr<HotkeyEdits> m_edits;
    std::unique_ptr<AgentActions> m_agents;
    std::optional<SettingsTab> m_settingsTab;
    // Shared so that a quit notice already on its way finds out whether the model is still there.
    std::shared_ptr<WebHostRefresh> m_webHosts;
    std::string m_socketPath;
    std::shared_ptr<SocketServer> m_server;
    std::shared_ptr<SocketLink> m_socketLink;
    bool m_socketListening = false;
    std::optional<std::string> m_rememberedBuild;
    TimerId m_censusTimer = 0;
    bool m_setupProbe = false;
    std::optional<int> m_onboardingStep;
    bool m_didFinishLaunch = false;
    bool m_quitting = false;
};

} // namespace quorvane
