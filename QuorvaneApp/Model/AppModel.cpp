#include "QuorvaneApp/Model/AppModel.h"

#include "Agents/BundledResources.h"
#include "Agents/SkillFiles.h"
#include "Agents/SkillPaths.h"
#include "Command/Invocation.h"
#include "Configuration/GeneralValidation.h"
#include "QuorvaneApp/Agents/AgentActions.h"
#include "QuorvaneApp/Config/ConfigLifecycle.h"
#include "QuorvaneApp/Config/TemporaryFileSweep.h"
#include "QuorvaneApp/Keys/AppHotkeyActions.h"
#include "QuorvaneApp/Keys/HotkeyCenter.h"
#include "QuorvaneApp/Keys/HotkeyEdits.h"
#include "QuorvaneApp/Keys/TapAction.h"
#include "QuorvaneApp/Model/ApplicationIds.h"
#include "QuorvaneApp/Model/MachineName.h"
#include "QuorvaneApp/Model/RequestRunner.h"
#include "QuorvaneApp/Model/SocketLink.h"
#include "QuorvaneApp/Platform/AppWindows.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/LoginItem.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Setup/CLILink.h"
#include "QuorvaneApp/Tiling/TilingActions.h"
#include "QuorvaneApp/Updates/UpdateChecker.h"
#include "QuorvaneApp/Views/AgentSettings.h"
#include "QuorvaneApp/Views/AgentToast.h"
#include "QuorvaneApp/Views/AppKeys.h"
#include "QuorvaneApp/Views/AppsSettings.h"
#include "QuorvaneApp/Views/ChordCheck.h"
#include "QuorvaneApp/Views/GeneralSettings.h"
#include "QuorvaneApp/Views/HotkeySettings.h"
#include "QuorvaneApp/Views/NewAppPanel.h"
#include "QuorvaneApp/Views/OnboardingPanel.h"
#include "QuorvaneApp/Views/SettingsWindow.h"
#include "QuorvaneApp/Views/StatusMenu.h"
#include "QuorvaneApp/Views/TileOverlay.h"
#include "QuorvaneApp/Views/TilingSettings.h"
#include "QuorvaneApp/WebApps/ApplicationLocator.h"
#include "QuorvaneApp/WebApps/WebAppEdits.h"
#include "QuorvaneApp/WebApps/WebHostRefresh.h"
#include "QuorvaneIPC/SocketServer.h"
#include "RPC/RPCResponse.h"
#include "Router/CommandContext.h"
#include "Router/DoctorCheck.h"
#include "Setup/AccessibilityGrant.h"
#include "Setup/AccessibilityGrantDisk.h"
#include "Setup/SetupStep.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "WebApps/DesktopEntryWriter.h"
#include "JSON/JSONValue.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace quorvane {

namespace {

AppModel* sharedModel = nullptr;

constexpr double censusInterval = 1.2;
// Chords another program held are tried again every this many census ticks.
constexpr uint64_t refusedChordTicks = 10;
// Temporary files younger than this may belong to a write in progress.
constexpr double temporaryFileAge = 60;

double systemSeconds()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

AppModel::AppModel(const Platform& platform, AppEnvironment environment)
    : m_platform(platform)
    , m_environment(std::move(environment))
    , m_paths(m_environment.paths)
{
    sharedModel = this;
    if (!m_environment.logLine)
        m_environment.logLine = [](const std::string&) {};
    // Until the panels exist, whoever runs the application reads banners where its log lines go.
    m_banner.setObserver(m_environment.logLine);
    if (!m_environment.wallClock)
        m_environment.wallClock = systemSeconds;
    m_socketPath = m_environment.socketPath.value_or(m_paths.resolvedSocketFile(QuorvanePaths::socketPathLimit));
    m_skillText = BundledResources::skillText();
    m_manifestFolders = BundledResources::skillFolders();
    m_isApplicationId = [&applications = m_platform.applications](const std::string& word) {
        return isApplicationId(applications, word);
    };

    // 1. Census and tiling state, keys.
    m_configuration = std::make_unique<ConfigLifecycle>(m_paths.configFile(), m_environment.wallClock, m_banner);
    m_requests = std::make_unique<RequestRunner>(*m_configuration, commandBase(), m_environment.wallClock);
    m_locator = std::make_unique<ApplicationLocator>(m_platform.applications, *m_configuration, m_paths);
    m_tiling = std::make_unique<TilingActions>(m_platform, *m_configuration, *m_locator, m_banner);
    m_overlay = std::make_unique<TileOverlay>(
        m_platform.mainLoop, m_platform.overlay, m_tiling->access(), m_platform.permissions);
    m_tiling->setSurface(m_overlay.get());
    m_agentToast = std::make_unique<AgentToast>(m_platform.mainLoop, m_platform.overlay, m_tiling->access());
    m_agents = std::make_unique<AgentActions>(
        m_platform.applications, m_paths, *m_agentToast, *m_configuration, m_banner,
        [this](const GeneralConfig& general) { setGeneral(general); }, [this] { showSettings(SettingsTab::agents); });
    m_keys
        = std::make_unique<AppHotkeyActions>(m_platform, *m_tiling, *m_agents, *m_configuration, *m_locator, m_banner);
    m_hotkeys = std::make_unique<HotkeyCenter>(m_platform, *m_configuration, [this] { return m_tiling->tileMode(); });
    m_edits = std::make_unique<HotkeyEdits>(
        [this](const std::vector<std::string>& arguments) { return handleRPC(arguments); }, *m_configuration, m_banner);
    m_tiling->setOnTileModeChanged([this] {
        m_hotkeys->rebind();
        if (m_statusMenu)
            m_statusMenu->refresh();
    });
    m_configuration->setOnChange([this] { configurationChanged(); });
    m_banner.setOnChange([this] {
        if (m_statusMenu)
            m_statusMenu->refresh();
        if (m_settings)
            m_settings->refresh();
        if (m_onboarding)
            m_onboarding->refresh();
    });
    m_webHosts = std::make_unique<WebHostRefresh>(m_platform.applications, m_paths, m_environment.hostBinary,
        [this](const std::string& text) { setBanner(text, false); });
    sweepTemporaryFiles();
    // 2. The configuration.
    m_configuration->load();
    // 3. Fired hotkeys reach `perform`.
    m_hotkeys->setOnAction([this](const TapAction& action) { m_keys->perform(action); });
    // 4.
    refreshSkills();
    m_platform.appWindows.setWindowChrome(config().general.windowChrome);
    // Chord fields check what they record here, in the onboarding panel as in the settings window.
    m_chordCheck = std::make_unique<ChordCheck>(*m_configuration, m_platform.hotkeys, m_isApplicationId);
    makeOnboarding();
    // 5. A setup probe shows only the onboarding panel.
    if (m_environment.setupStep && parseSetupStep(*m_environment.setupStep)) {
        m_setupProbe = true;
        return;
    }
    // The release feed's checks, started when launching finishes.
    if (m_environment.updateFeed) {
        m_updater = std::make_unique<UpdateChecker>(m_platform.mainLoop, m_platform.workers,
            UpdateChecker::Settings { *m_environment.updateFeed, m_paths.updateStampFile(), m_environment.fetchLimits,
                m_environment.wallClock });
        m_updater->setOnChange([this] {
            if (m_statusMenu)
                m_statusMenu->refresh();
        });
    }
    // The tray item and its menu.
    m_statusMenu = std::make_unique<StatusMenu>(m_platform.mainLoop, m_platform.statusItem, *m_configuration, m_banner,
        StatusMenu::Actions {
            [this] { return m_tiling->tileMode(); },
            [this](const std::string& token) { m_keys->perform(TapAction::token(token)); },
            [this](const std::vector<std::string>& arguments) { return handleRPC(arguments); },
            [this] { quit(); },
            [this](const std::string& url) { return m_platform.applications.openURL(url); },
            m_updater.get(),
            [this] { showSettings(settingsTab().value_or(SettingsTab::general)); },
            [this] { showOnboarding(rawValue(SetupStep::welcome)); },
        });
    makeSettingsWindow();
    // 6.
    m_hotkeys->start();
    // 7.
    startSocket();
    // 8.
    m_configuration->watch(m_platform.fileWatcher);
    // 9.
    m_tiling->start();
    m_censusTimer = m_platform.mainLoop.addTimer(censusInterval, true, [this] { census(); });
}

AppModel::~AppModel()
{
    m_banner.setOnChange(nullptr);
    m_hotkeys->setOnChord(nullptr);
    m_onboarding.reset();
    m_appKeys.reset();
    if (m_keys)
        m_keys->setOnNewApp(nullptr);
    m_newApp.reset();
    m_settings.reset();
    m_statusMenu.reset();
    m_updater.reset();
    if (m_censusTimer)
        m_platform.mainLoop.cancelTimer(m_censusTimer);
    stopSocket();
    m_platform.applications.setQuitHandler(nullptr);
    if (sharedModel == this)
        sharedModel = nullptr;
}

AppModel* AppModel::shared()
{
    return sharedModel;
}

// Start-up and the timer

void AppModel::finishLaunch()
{
    if (m_didFinishLaunch)
        return;
    m_didFinishLaunch = true;
    if (m_environment.setupStep) {
        if (std::optional<SetupStep> step = parseSetupStep(*m_environment.setupStep)) {
            showOnboarding(rawValue(*step));
            return;
        }
    }
    syncLoginItem();
    handleRPC({ "apply" });
    m_banner.clear();
    sweepWebHosts();
    m_accessibilityOn = m_platform.permissions.windowControlAllowed();
    if (!config().general.onboardingComplete) {
        showOnboarding(rawValue(SetupStep::welcome));
    } else if (AccessibilityGrant::shouldAskAgain(true, m_accessibilityOn, currentBuild(),
                   AccessibilityGrantDisk::load(m_paths.accessibilityGrantFile()))) {
        m_regrantingAccessibility = true;
        showOnboarding(rawValue(SetupStep::accessibility));
    }
    rememberAccessibilityGrant();
    startUpdater();
}

void AppModel::census()
{
    // One permission query serves the tick: on some desktops it is a round trip to the display server.
    m_accessibilityOn = m_platform.permissions.windowControlAllowed();
    if (m_accessibilityOn)
        m_tiling->censusWithWindowControl();
    m_hotkeys->noteInputMonitoring();
    // Not every tick: on some desktops each try loads a script into the compositor.
    if (++m_censusTicks % refusedChordTicks == 0)
        m_hotkeys->retryRefused();
    rememberAccessibilityGrant();
}

void AppModel::beginQuitting()
{
    m_quitting = true;
    // Panels closed by quitting skip their close-time actions.
    m_onboarding->close();
    stopSocket();
}

void AppModel::quit()
{
    beginQuitting();
    m_platform.mainLoop.quit();
}

AgentSettings::Actions AppModel::agentActions()
{
    return AgentSettings::Actions {
        [this](const GeneralConfig& general) { setGeneral(general); },
        [this](const std::vector<std::string>& arguments) { return handleRPC(arguments); },
        [this] { return m_skills; },
        [this] { refreshSkills(); },
        [this](const std::string& folder) { addCustomSkillFolder(folder); },
        [this](const std::string& identifier) { return m_platform.applications.locate(identifier).has_value(); },
    };
}

void AppModel::makeOnboarding()
{
    m_onboarding = std::make_unique<OnboardingPanel>(m_platform.mainLoop, m_platform.appWindows, *m_configuration,
        m_banner, *m_chordCheck,
        OnboardingPanel::Actions {
            [this] {
                m_accessibilityOn = m_platform.permissions.windowControlAllowed();
                return m_accessibilityOn;
            },
            [this] { return permissionChecks(); },
            [this] { return m_platform.permissions.wording(); },
            [this] {
                return OnboardingPanel::CommandLine { CLILink::firstExecutable(m_environment.cliCommands),
                    CLILink::onPath(m_environment.searchPath) };
            },
            [this] {
                return CLILink::install(m_environment.cliCommands,
                    m_environment.cliLinks.empty() ? m_paths.preferredCLILinks() : m_environment.cliLinks);
            },
            [this](const GeneralConfig& general) { setGeneral(general); },
            agentActions(),
            [this](bool) {
                // A setup probe is only this panel: closed, nothing is left to run.
                if (m_setupProbe) {
                    quit();
                    return;
                }
                // Closed by the person: a regrant is over either way; a grant found meanwhile is kept.
                m_regrantingAccessibility = false;
                rememberAccessibilityGrant();
            },
        });
    m_hotkeys->setOnChord([this](const std::string& chord) { m_onboarding->noteChord(chord); });
}

void AppModel::makeSettingsWindow()
{
    auto saveGeneral = [this](const GeneralConfig& general) { setGeneral(general); };
    auto runCommand = [this](const std::vector<std::string>& arguments) { return handleRPC(arguments); };
    std::vector<std::unique_ptr<SettingsPane>> panes;
    panes.push_back(std::make_unique<GeneralSettings>(
        *m_configuration, saveGeneral, [this] { return permissionChecks(); }, *m_chordCheck, m_banner));
    panes.push_back(std::make_unique<TilingSettings>(*m_configuration, m_banner, *m_chordCheck,
        TilingSettings::Actions {
            saveGeneral,
            runCommand,
            [this](TilingSettings::Picked picked) { m_platform.windowSystem.pickWindow(std::move(picked)); },
            [this] { return static_cast<int>(m_platform.windowSystem.displays().size()); },
            [this] {
                if (m_settings)
                    m_settings->refresh();
            },
        }));
    panes.push_back(std::make_unique<HotkeySettings>(*m_configuration, m_banner, *m_chordCheck,
        HotkeySettings::Actions {
            [this](const std::string& oldChord, const std::string& newChord, const std::string& bundle) {
                m_edits->replaceNativeHotkey(oldChord, newChord, bundle);
            },
            runCommand,
            [this] { return m_platform.applications.running(); },
            [this] { return m_platform.applications.installed(); },
        }));
    panes.push_back(std::make_unique<AppsSettings>(*m_configuration, m_banner, *m_chordCheck,
        AppsSettings::Actions {
            runCommand,
            [this](const std::string& oldName, const WebAppRecord& record) {
                return WebAppEdits(*m_configuration, m_banner, *m_webHosts, m_paths.appsDirectory())
                    .save(oldName, record);
            },
            [this](const std::string& slug, const std::string& chord) { m_edits->setAppHotkey(slug, chord); },
            [this](const std::string& bundleIdentifier) { m_keys->focusBundle(bundleIdentifier); },
            [this] { m_newApp->show(); },
            [this](const std::string& bundleIdentifier, int edge) {
                return DesktopEntryWriter(m_paths).installedIcon(bundleIdentifier, edge).value_or("");
            },
        }));
    panes.push_back(std::make_unique<AgentSettings>(*m_configuration, m_banner, *m_chordCheck, agentActions()));
    m_settings
        = std::make_unique<SettingsWindow>(m_platform.mainLoop, m_platform.appWindows, m_banner, std::move(panes));
    m_newApp = std::make_unique<NewAppPanel>(m_platform.mainLoop, m_platform.workers, m_platform.appWindows,
        *m_chordCheck, m_banner,
        NewAppPanel::Actions {
            m_environment.fetchIcon,
            [this](const Invocation& invocation, const std::optional<std::string>& iconURL,
                const std::optional<std::string>& iconBytes) { return handleRPC(invocation, iconURL, iconBytes); },
        });
    m_keys->setOnNewApp([this] { m_newApp->show(); });
    m_appKeys = std::make_unique<AppKeys>(m_platform.appWindows,
        AppKeys::Actions {
            [this] { showSettings(settingsTab().value_or(SettingsTab::general)); }, [this] { quit(); } });
    m_overlay->setOnOpenSettings([this] {
        // The settings take the keyboard: tile mode, whose bare keys wait anyway, ends first.
        if (m_tiling->tileMode())
            m_keys->perform(TapAction::tile(TileAction::exit()));
        showSettings(SettingsTab::general);
    });
}

// Configuration

const ConfigFile& AppModel::file() const
{
    return m_configuration->file();
}

const QuorvaneConfig& AppModel::config() const
{
    return m_configuration->config();
}

uint64_t AppModel::configGeneration() const
{
    return m_configuration->generation();
}

bool AppModel::tileMode() const
{
    return m_tiling->tileMode();
}

void AppModel::configurationChanged()
{
    // Keys start with every start-up but a setup probe's.
    if (!m_setupProbe)
        m_hotkeys->rebind();
    refreshSkills();
    syncLoginItem();
    // The updater follows `check_for_updates` from the moment launching has started it.
    if (m_didFinishLaunch)
        startUpdater();
    if (m_statusMenu)
        m_statusMenu->refresh();
    if (m_settings)
        m_settings->refresh();
    if (m_onboarding)
        m_onboarding->refresh();
    // Windows opened from now on take the new chrome; open ones keep theirs.
    m_platform.appWindows.setWindowChrome(config().general.windowChrome);
}

std::optional<std::string> AppModel::validate(const GeneralConfig& general) const
{
    return quorvane::validate(general, config());
}

void AppModel::setGeneral(const GeneralConfig& general)
{
    if (std::optional<std::string> problem = validate(general)) {
        setBanner(*problem, false);
        return;
    }
    // Only what the caller changed is written, onto the file as it is under the lock, and checked again there: a
    // change the tool made meanwhile, not yet taken in, stays.
    const GeneralConfig base = config().general;
    uint64_t generation = configGeneration();
    std::optional<std::string> failure = m_configuration->persist([&](ConfigFile& file) {
        std::shared_ptr<const QuorvaneConfig> before = file.decoded();
        file.changeGeneral(base, general);
        std::shared_ptr<const QuorvaneConfig> merged = file.decoded();
        if (std::optional<std::string> problem = quorvane::validate(merged->general, *before))
            throw QuorvaneError::conflict(*problem);
        return true;
    });
    // A save that changed nothing still brings the login item in line; one that changed something did so.
    if (configGeneration() == generation)
        syncLoginItem();
    startUpdater();
    // Where a save kept text that did not parse, the banner says so, and stays.
    if (!failure && !m_configuration->keptByLastSave())
        setBanner("", false);
}

void AppModel::refreshSkills()
{
    m_skills.clear();
    for (const SkillLocation& location :
        SkillPaths::locate(m_manifestFolders, config().agents.customFolders, m_paths.home)) {
        std::string expanded = SkillPaths::expand(location.folder, m_paths.home);
        m_skills.push_back(SkillRow { location.folder, location.present,
            SkillPaths::status(SkillFiles::installedContents(expanded), m_skillText) });
    }
}

void AppModel::sweepTemporaryFiles()
{
    TemporaryFileSweep::sweep(m_paths.configDirectory(), temporaryFileAge);
    TemporaryFileSweep::sweep(m_paths.applicationSupport(), temporaryFileAge);
}

// Socket and commands

void AppModel::startSocket()
{
    if (m_server)
        return;
    m_socketLink = std::make_shared<SocketLink>(m_platform.mainLoop, m_environment.fetchIcon);
    m_socketLink->attach([this](const std::optional<Invocation>& parsed, const std::vector<std::string>& words,
                             const std::optional<std::string>& iconURL, const std::optional<std::string>& iconBytes) {
        return parsed ? handleRPC(*parsed, iconURL, iconBytes) : handleRPC(words);
    });
    m_server = SocketServer::create(
        m_socketPath, m_socketLink->handler(), SocketServer::defaultIdleLimit, m_socketLink->prompt());
    try {
        m_server->start();
        m_socketListening = true;
    } catch (const std::exception& error) {
        // The application keeps running without a socket; the tool then edits the file itself.
        m_environment.logLine("Quorvane could not listen on " + m_socketPath + ": " + error.what());
    }
}

void AppModel::stopSocket()
{
    if (m_socketLink)
        m_socketLink->detach();
    if (m_server)
        m_server->stop();
    m_socketListening = false;
}

RPCResponse AppModel::handleRPC(const std::vector<std::string>& arguments)
{
    return m_requests->run(arguments);
}

RPCResponse AppModel::handleRPC(const Invocation& invocation, const std::optional<std::string>& iconURL,
    const std::optional<std::string>& iconBytes)
{
    return m_requests->run(invocation, iconURL, iconBytes);
}

std::optional<ResolvedTarget> AppModel::resolveTarget(std::string_view text)
{
    return quorvane::resolveTarget(text, config(), m_isApplicationId);
}

CommandContext AppModel::commandBase()
{
    CommandContext context;
    context.paths = m_paths;
    context.hostBinary = m_environment.hostBinary;
    context.skillText = m_skillText;
    context.manifestFolders = m_manifestFolders;
    context.controller = this;
    context.updateFeed = m_environment.updateFeed;
    context.isApplicationId = m_isApplicationId;
    return context;
}

// Live window control

void AppModel::snap(const std::string& bundleIdentifier, TileSlot slot, std::optional<int64_t> display)
{
    m_tiling->snap(bundleIdentifier, slot, display);
}

Layout AppModel::captureLayout(const std::string& name)
{
    return m_tiling->captureLayout(name);
}

void AppModel::applyLayout(const std::string& name)
{
    m_tiling->applyLayout(name);
}

std::vector<DoctorCheck> AppModel::permissionChecks()
{
    PermissionWording wording = m_platform.permissions.wording();
    std::vector<DoctorCheck> checks;
    if (m_platform.permissions.windowControlAllowed())
        checks.push_back(DoctorCheck { "window-control", DoctorCheck::Status::pass, wording.windowControlAllowed });
    else
        checks.push_back(DoctorCheck { "window-control", DoctorCheck::Status::fail, wording.windowControlDenied });
    std::vector<DoctorCheck> keys = m_hotkeys->permissionChecks();
    checks.insert(checks.end(), keys.begin(), keys.end());
    std::vector<DoctorCheck> backend = m_platform.permissions.checks();
    checks.insert(checks.end(), backend.begin(), backend.end());
    std::vector<DoctorCheck> gaps = m_tiling->gapChecks();
    checks.insert(checks.end(), gaps.begin(), gaps.end());
    if (m_statusMenu)
        checks.push_back(m_statusMenu->trayCheck());
    return checks;
}

std::string AppModel::macName()
{
    return MachineName::current("/etc/machine-info");
}

// Applications and settings

std::optional<std::string> AppModel::url(const std::string& bundleIdentifier)
{
    return m_locator->url(bundleIdentifier);
}

void AppModel::showSettings(SettingsTab tab)
{
    m_settingsTab = tab;
    if (m_settings)
        m_settings->show(tab);
}

std::optional<SettingsTab> AppModel::settingsTab() const
{
    return m_settings && m_settings->tab() ? m_settings->tab() : m_settingsTab;
}

void AppModel::addCustomSkillFolder(const std::string& text)
{
    std::string folder = UnicodeText::trimmed(text);
    if (folder.empty())
        return;
    // A relative folder would name a place in the application's own working folder, which nobody sees.
    if (!folder.starts_with('/') && folder != "~" && !folder.starts_with("~/")) {
        setBanner("Give the skill folder as a full path, such as ~/agents/skills.", false);
        return;
    }
    const std::vector<std::string>& listed = config().agents.customFolders;
    if (std::find(listed.begin(), listed.end(), folder) == listed.end()) {
        m_configuration->persist([&](ConfigFile& file) {
            AgentConfig agents = file.decoded()->agents;
            agents.customFolders.push_back(folder);
            file.setAgents(agents);
            return true;
        });
    }
    refreshSkills();
    if (m_settings)
        m_settings->refresh();
    if (m_onboarding)
        m_onboarding->refresh();
}

// Steps whose subject lives in a later part of the application

void AppModel::syncLoginItem()
{
    m_platform.loginItem.setEnabled(config().general.launchAtLogin);
}

void AppModel::showOnboarding(int step)
{
    m_onboarding->show(setupStep(step).value_or(SetupStep::welcome));
}

std::optional<int> AppModel::onboardingStep() const
{
    if (!m_onboarding || !m_onboarding->isOpen())
        return std::nullopt;
    return rawValue(m_onboarding->step());
}

void AppModel::sweepWebHosts()
{
    m_webHosts->refreshStaleWebHosts(config());
}

void AppModel::startUpdater()
{
    // Without a release feed, updates come from the package manager.
    if (m_updater)
        m_updater->setEnabled(config().general.checkForUpdates);
}

std::string AppModel::currentBuild() const
{
    return AccessibilityGrant::currentBuild(m_environment.bundleVersion);
}

void AppModel::rememberAccessibilityGrant()
{
    if (!m_accessibilityOn)
        return;
    std::string build = currentBuild();
    if (m_rememberedBuild == build)
        return;
    std::optional<std::string> recorded = AccessibilityGrantDisk::load(m_paths.accessibilityGrantFile());
    if (!AccessibilityGrant::shouldRemember(true, build, recorded)) {
        m_rememberedBuild = build;
        return;
    }
    try {
        AccessibilityGrantDisk::save(build, m_paths.accessibilityGrantFile());
        m_rememberedBuild = build;
    } catch (const std::system_error&) {
        // The next census tries again.
    }
}

} // namespace quorvane
