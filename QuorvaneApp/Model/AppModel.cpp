#include "QuorvaneApp/Model/AppModel.h"

#include "Agents/BundledResources.h"
#include "Agents/SkillFiles.h"
#include "Agents/SkillPaths.h"
#include "Command/CommandOutput.h"
#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "Configuration/GeneralValidation.h"
#include "QuorvaneApp/Agents/AgentActions.h"
#include "QuorvaneApp/Config/ConfigStore.h"
#include "QuorvaneApp/Config/ConfigWatch.h"
#include "QuorvaneApp/Config/TemporaryFileSweep.h"
#include "QuorvaneApp/Keys/AppHotkeyActions.h"
#include "QuorvaneApp/Keys/HotkeyCenter.h"
#include "QuorvaneApp/Keys/HotkeyEdits.h"
#include "QuorvaneApp/Model/ApplicationIds.h"
#include "QuorvaneApp/Model/MachineName.h"
#include "QuorvaneApp/Model/SocketLink.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/LoginItem.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Tiling/TilingActions.h"
#include "QuorvaneApp/WebApps/WebHostRefresh.h"
#include "QuorvaneIPC/SocketServer.h"
#include "RPC/RPCResponse.h"
#include "Router/CommandContext.h"
#include "Router/CommandRouter.h"
#include "Router/DoctorCheck.h"
#include "Setup/AccessibilityGrant.h"
#include "Setup/AccessibilityGrantDisk.h"
#include "Setup/SetupStep.h"
#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"
#include "JSON/JSONValue.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace quorvane {

namespace {

AppModel* sharedModel = nullptr;

constexpr double censusInterval = 1.2;
// Temporary files younger than this may belong to a write in progress.
constexpr double temporaryFileAge = 60;

const std::string lastGoodBanner = "config.toml could not be read. The last good copy is still in use.";
const std::string defaultsBanner = "config.toml could not be read, so Quorvane runs on the default settings.";

double systemSeconds()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void writeLineToStandardError(const std::string& line)
{
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

RPCResponse responseFor(const QuorvaneError& error)
{
    return RPCResponse("", error.exitCode(), error.message(), "{}");
}

} // namespace

AppModel::AppModel(const Platform& platform, AppEnvironment environment)
    : m_platform(platform)
    , m_environment(std::move(environment))
    , m_paths(m_environment.paths)
{
    sharedModel = this;
    if (!m_environment.logLine)
        m_environment.logLine = writeLineToStandardError;
    if (!m_environment.wallClock)
        m_environment.wallClock = systemSeconds;
    m_socketPath = m_environment.socketPath.value_or(m_paths.resolvedSocketFile(QuorvanePaths::socketPathLimit));
    m_skillText = BundledResources::skillText();
    m_manifestFolders = BundledResources::skillFolders();

    // 1. Census and tiling state, keys.
    m_tiling = std::make_unique<TilingActions>(*this);
    m_hotkeys = std::make_unique<HotkeyCenter>(*this);
    m_actions = std::make_unique<AppHotkeyActions>(*this);
    m_edits = std::make_unique<HotkeyEdits>(*this);
    m_agents = std::make_unique<AgentActions>(*this);
    m_webHosts = std::make_shared<WebHostRefresh>(m_platform.applications, m_paths, m_environment.hostBinary,
        [this](const std::string& text) { setBanner(text, false); });
    m_platform.applications.setQuitHandler(
        [hosts = std::weak_ptr<WebHostRefresh>(m_webHosts)](const RunningApplication& application) {
            if (std::shared_ptr<WebHostRefresh> live = hosts.lock())
                live->applicationQuit(application);
        });
    sweepTemporaryFiles();
    // 2. The configuration.
    loadConfig();
    // 3. Fired hotkeys reach `perform`.
    m_hotkeys->connectActions();
    // 4.
    refreshSkills();
    // 5. A setup probe shows only the onboarding panel.
    if (m_environment.setupStep && parseSetupStep(*m_environment.setupStep)) {
        m_setupProbe = true;
        return;
    }
    // 6.
    m_hotkeys->start();
    // 7.
    startSocket();
    // 8.
    watchConfig();
    // 9.
    m_tiling->start();
    m_censusTimer = m_platform.mainLoop.addTimer(censusInterval, true, [this] { census(); });
}

AppModel::~AppModel()
{
    if (m_censusTimer)
        m_platform.mainLoop.cancelTimer(m_censusTimer);
    stopSocket();
    m_watch.reset();
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
    if (!m_config.general.onboardingComplete) {
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
    noteInputMonitoring();
    rememberAccessibilityGrant();
}

void AppModel::rebind()
{
    m_hotkeys->rebind();
}

void AppModel::noteInputMonitoring()
{
    m_hotkeys->noteInputMonitoring();
}

void AppModel::beginQuitting()
{
    m_quitting = true;
    stopSocket();
}

// Configuration

const ConfigFile& AppModel::file() const
{
    return m_store->file();
}

void AppModel::setBanner(std::string text, bool success)
{
    m_banner = std::move(text);
    if (!m_holdBannerTone)
        m_bannerIsSuccess = success;
    // Until the panels exist, a person running the application from a terminal reads banners here.
    if (!m_banner.empty())
        m_environment.logLine(m_banner);
}

void AppModel::loadConfig()
{
    m_store = std::make_unique<ConfigStore>(m_paths.configFile(), m_environment.wallClock);
    ConfigStore::LoadOutcome outcome = m_store->load();
    m_config = m_store->file().decode();
    m_adoptedText = m_store->file().text();
    ++m_configGeneration;
    if (outcome == ConfigStore::LoadOutcome::broken)
        setBanner(defaultsBanner, false);
}

void AppModel::adopt()
{
    std::string text = m_store->file().text();
    if (text == m_adoptedText)
        return;
    m_adoptedText = std::move(text);
    m_config = m_store->file().decode();
    ++m_configGeneration;
    // Keys start with every start-up but a setup probe's.
    if (!m_setupProbe)
        rebind();
    refreshSkills();
}

void AppModel::watchConfig()
{
    if (!m_watch)
        m_watch
            = std::make_unique<ConfigWatch>(m_platform.fileWatcher, m_paths.configFile(), [this] { reloadFromDisk(); });
}

void AppModel::reloadFromDisk()
{
    switch (m_store->reload()) {
    case ConfigStore::ReloadOutcome::reloaded:
        adopt();
        syncLoginItem();
        break;
    case ConfigStore::ReloadOutcome::broken:
        setBanner(lastGoodBanner, false);
        break;
    case ConfigStore::ReloadOutcome::unchanged:
    case ConfigStore::ReloadOutcome::unreadable:
        break;
    }
}

std::optional<std::string> AppModel::persist(const std::function<bool(ConfigFile&)>& edit)
{
    ConfigStore::SaveResult result = m_store->update(edit);
    uint64_t generation = m_configGeneration;
    adopt();
    // Every saved change keeps the login item in line, whichever command or panel made it.
    if (m_configGeneration != generation)
        syncLoginItem();
    if (result.keptBrokenAs) {
        std::string name = std::filesystem::path(*result.keptBrokenAs).filename().string();
        setBanner("The config.toml that could not be read was kept as " + name + ".", false);
    }
    if (result.failure)
        setBanner(*result.failure, false);
    return result.failure;
}

std::optional<std::string> AppModel::validate(const GeneralConfig& general) const
{
    return quorvane::validate(general, m_config);
}

void AppModel::setGeneral(const GeneralConfig& general)
{
    if (std::optional<std::string> problem = validate(general)) {
        setBanner(*problem, false);
        return;
    }
    uint64_t generation = m_configGeneration;
    std::optional<std::string> failure = persist([&](ConfigFile& file) {
        file.setGeneral(general);
        return true;
    });
    // A save that changed nothing still brings the login item in line; one that changed something did so.
    if (m_configGeneration == generation)
        syncLoginItem();
    startUpdater();
    if (!failure)
        setBanner("", false);
}

void AppModel::refreshSkills()
{
    m_skills.clear();
    for (const SkillLocation& location :
        SkillPaths::locate(m_manifestFolders, m_config.agents.customFolders, m_paths.home)) {
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
    m_socketLink->attach(this);
    m_server = SocketServer::create(m_socketPath, m_socketLink->handler());
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
    Invocation invocation;
    try {
        invocation = CommandParser::parse(arguments);
    } catch (const QuorvaneError& error) {
        return responseFor(error);
    } catch (const std::exception& error) {
        return RPCResponse("", ExitCode::usage, error.what(), "{}");
    }
    return handleRPC(invocation, std::nullopt, std::nullopt);
}

RPCResponse AppModel::handleRPC(const Invocation& invocation, const std::optional<std::string>& iconURL,
    const std::optional<std::string>& iconBytes)
{
    CommandContext context = makeContext();
    // Icons are fetched on the socket thread before the request reaches the main thread, never here.
    context.iconForURL = [&](const std::string& url) -> std::optional<std::string> {
        return iconURL && url == *iconURL ? iconBytes : std::nullopt;
    };
    if (!invocation.command.changesConfig())
        return RPCResponse("", runWithoutChanges(invocation, context));
    CommandOutput output;
    bool destructive = invocation.command.isDestructive();
    std::optional<std::string> failure = persist([&](ConfigFile& copy) {
        output = CommandRouter::run(invocation, copy, context);
        // A destructive command that failed part-way saves nothing, as when the tool runs it itself.
        return output.ok() || !destructive;
    });
    if (failure && output.ok())
        output = CommandOutput::failure(QuorvaneError::failed(*failure));
    return RPCResponse("", output);
}

CommandOutput AppModel::runWithoutChanges(const Invocation& invocation, CommandContext& context)
{
    // `apply` is "use what I just saved" and `doctor` reports on the file as it stands, so both take in a
    // change on disk first, as the watch would; the rest answer from the configuration in force. None of
    // them takes the lock: they write nothing.
    const Command& command = invocation.command;
    if (command.is<Command::Apply>() || command.is<Command::Doctor>()) {
        reloadFromDisk();
        if (m_store->holdsBrokenText() || m_store->unreadable()) {
            if (command.is<Command::Apply>())
                return CommandOutput::failure(QuorvaneError::config(m_store->brokenReason()));
            context.configCheck = DoctorCheck { "config", DoctorCheck::Status::fail,
                m_store->brokenReason() + " The settings in force stay until it is fixed." };
        }
    }
    return CommandRouter::runReadOnly(invocation, m_store->file(), context);
}

CommandContext AppModel::makeContext()
{
    CommandContext context;
    context.now = m_environment.wallClock();
    context.interactive = false;
    context.paths = m_paths;
    context.hostBinary = m_environment.hostBinary;
    context.skillText = m_skillText;
    context.manifestFolders = m_manifestFolders;
    context.controller = this;
    context.isApplicationId
        = [this](const std::string& word) { return isApplicationId(m_platform.applications, word); };
    context.confirm = [](const std::string&) { return false; };
    return context;
}

std::optional<ResolvedTarget> AppModel::resolveTarget(std::string_view text)
{
    return quorvane::resolveTarget(
        text, m_config, [this](const std::string& word) { return isApplicationId(m_platform.applications, word); });
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

void AppModel::performTile(const TileAction& action)
{
    m_tiling->performTile(action);
}

void AppModel::toggleTileMode()
{
    m_tiling->toggleTileMode();
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
    return checks;
}

std::string AppModel::macName()
{
    return MachineName::current("/etc/machine-info");
}

// Keys

void AppModel::perform(const TapAction& action)
{
    m_actions->perform(action);
}

void AppModel::performToken(const std::string& token)
{
    m_actions->performToken(token);
}

void AppModel::focusBundle(const std::string& bundleIdentifier)
{
    m_actions->focusBundle(bundleIdentifier);
}

void AppModel::openBundle(const std::string& bundleIdentifier)
{
    m_actions->openBundle(bundleIdentifier);
}

std::optional<std::string> AppModel::url(const std::string& bundleIdentifier)
{
    return m_actions->url(bundleIdentifier);
}

void AppModel::setShortcutHotkey(const SavedShortcut& shortcut, const std::string& chord)
{
    m_edits->setShortcutHotkey(shortcut, chord);
}

void AppModel::setAppHotkey(const std::string& slug, const std::string& chord)
{
    m_edits->setAppHotkey(slug, chord);
}

void AppModel::setNativeHotkey(const std::string& chord, const std::string& bundle)
{
    m_edits->setNativeHotkey(chord, bundle);
}

void AppModel::replaceNativeHotkey(const std::string& oldChord, const std::string& newChord, const std::string& bundle)
{
    m_edits->replaceNativeHotkey(oldChord, newChord, bundle);
}

void AppModel::unsetHotkey(const std::string& chord)
{
    m_edits->unsetHotkey(chord);
}

void AppModel::launchAgent()
{
    m_agents->launchAgent();
}

void AppModel::applyAgentSetup(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier)
{
    m_agents->applyAgentSetup(argv, terminalBundleIdentifier);
}

void AppModel::showSettings(SettingsTab tab)
{
    // The settings window comes with the views; until then the model only records the tab.
    m_settingsTab = tab;
}

// Steps whose subject lives in a later part of the application

void AppModel::syncLoginItem()
{
    m_platform.loginItem.setEnabled(m_config.general.launchAtLogin);
}

void AppModel::showOnboarding(int step)
{
    // The onboarding panel comes with the guided setup; until then the model only records the step.
    m_onboardingStep = step;
}

void AppModel::sweepWebHosts()
{
    m_webHosts->refreshStaleWebHosts(m_config);
}

void AppModel::startUpdater()
{
    // Updates come from the system's package manager; there is no update framework to start or configure.
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
