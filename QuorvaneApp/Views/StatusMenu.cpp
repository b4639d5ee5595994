#include "QuorvaneApp/Views/StatusMenu.h"

#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyParser.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Updates/UpdateChecker.h"
#include "RPC/RPCResponse.h"
#include "Router/DoctorCheck.h"
#include "Support/QuorvaneVersion.h"
#include "Support/UnicodeText.h"

namespace quorvane {

namespace {

using Kind = StatusMenuItem::Kind;

StatusMenuItem action(std::string key, std::string label, bool enabled = true)
{
    StatusMenuItem item;
    item.key = std::move(key);
    item.label = std::move(label);
    item.enabled = enabled;
    return item;
}

// A separator, keyed by what it stands before (or after, for the banner's) as any line is.
StatusMenuItem separator(std::string key)
{
    StatusMenuItem item;
    item.kind = Kind::separator;
    item.key = "separator:" + key;
    return item;
}

StatusMenuItem submenu(std::string key, std::string label, std::vector<StatusMenuItem> items)
{
    StatusMenuItem item = action(std::move(key), std::move(label));
    item.kind = Kind::submenu;
    item.items = std::move(items);
    return item;
}

// "Tile Mode (ctrl+opt+space)": the label with the chord in force, as the config file writes it; the bare
// label when the chord is off or does not parse.
std::string withChord(const std::string& label, const std::string& chordText)
{
    std::optional<HotkeyChord> chord = HotkeyParser::tryParse(chordText);
    return chord ? label + " (" + chord->canonical() + ")" : label;
}

const StatusMenuItem* findKey(const std::vector<StatusMenuItem>& items, const std::string& key)
{
    for (const StatusMenuItem& item : items) {
        if (item.kind != Kind::separator && item.key == key)
            return &item;
        if (const StatusMenuItem* found = findKey(item.items, key))
            return found;
    }
    return nullptr;
}

} // namespace

StatusMenu::StatusMenu(MainLoop& loop, StatusItem& item, const ConfigSource& config, Banner& banner, Actions actions)
    : m_loop(loop)
    , m_item(item)
    , m_config(config)
    , m_banner(banner)
    , m_actions(std::move(actions))
    , m_updates(m_actions.updates)
{
    m_item.setOnChoose(m_self.bind([](StatusMenu& menu, const std::string& key) { menu.choose(key); }));
    refresh();
}

StatusMenu::~StatusMenu()
{
    m_item.setOnChoose(nullptr);
}

void StatusMenu::refresh()
{
    if (m_pending)
        return;
    m_pending = true;
    m_loop.post(m_self.bind([](StatusMenu& menu) {
        if (menu.m_pending)
            menu.rebuild();
    }));
}

void StatusMenu::rebuild()
{
    m_pending = false;
    StatusItemLook look = lookFor(m_actions.tileMode());
    if (!m_shown || look != m_look) {
        m_look = look;
        m_item.setLook(m_look);
    }
    StatusMenuContent content = build();
    if (!m_shown || content != m_content) {
        m_content = std::move(content);
        m_item.setMenu(m_content);
    }
    m_shown = true;
}

StatusItemLook StatusMenu::lookFor(bool tileMode)
{
    if (tileMode)
        return StatusItemLook { "Quorvane, tile mode on", "quorvane-tile-mode-symbolic" };
    return StatusItemLook { "Quorvane", "quorvane-symbolic" };
}

StatusMenuContent StatusMenu::build() const
{
    const QuorvaneConfig& config = m_config.config();
    StatusMenuContent content;
    std::vector<StatusMenuItem>& items = content.items;
    const std::string& banner = m_banner.text();
    if (!banner.empty()) {
        StatusMenuItem line = action(bannerKey, banner);
        line.tone = m_banner.isSuccess() ? MenuTone::success : MenuTone::failure;
        if (line.tone == MenuTone::failure)
            line.accessibleLabel = "Problem: " + banner;
        items.push_back(std::move(line));
        items.push_back(separator(bannerKey));
    }

    StatusMenuItem tileMode = action(tileModeKey, withChord("Tile Mode", config.general.tileModeHotkey));
    tileMode.kind = Kind::check;
    tileMode.checked = m_actions.tileMode();
    items.push_back(std::move(tileMode));
    content.secondaryKey = tileModeKey;
    if (!config.layouts.empty())
        items.push_back(action(cycleLayoutsKey, withChord("Cycle Layouts", config.general.layoutHotkey)));

    std::vector<StatusMenuItem> layouts;
    for (const Layout& layout : config.layouts)
        layouts.push_back(action(layoutPrefix + layout.name, layout.name));
    if (!layouts.empty())
        layouts.push_back(separator(saveLayoutKey));
    layouts.push_back(action(saveLayoutKey, "Save Layout…"));
    items.push_back(submenu(layoutsKey, "Layouts", std::move(layouts)));

    std::vector<StatusMenuItem> webApps;
    for (const WebAppRecord& app : config.apps)
        webApps.push_back(action(webAppPrefix + app.slug, app.spec.name));
    if (webApps.empty())
        webApps.push_back(action(std::string(webAppPrefix), "No web apps yet", false));
    webApps.push_back(separator(newAppKey));
    webApps.push_back(action(newAppKey, "New Web App…"));
    items.push_back(submenu(webAppsKey, "Web Apps", std::move(webApps)));
    items.push_back(action(settingsKey, "Settings…"));
    items.push_back(action(setupGuideKey, "Setup Guide…"));

    items.push_back(separator(aboutKey));
    if (m_updates && m_updates->available())
        items.push_back(action(updateAvailableKey, "Quorvane " + m_updates->available()->version + " is available"));
    items.push_back(action(aboutKey, "About Quorvane"));
    if (m_updates) {
        // A check takes a few seconds at most; meanwhile the line says so and cannot start another.
        bool checking = m_updates->checking();
        items.push_back(
            action(checkForUpdatesKey, checking ? "Checking for Updates…" : "Check for Updates…", !checking));
    }
    items.push_back(separator(quitKey));
    items.push_back(action(quitKey, "Quit Quorvane"));
    return content;
}

void StatusMenu::choose(const std::string& key)
{
    const StatusMenuItem* item = findKey(m_content.items, key);
    // A tray may still send a line that was not enabled, or one of a menu that has since been replaced.
    if (!item || !item->enabled || item->kind == Kind::submenu)
        return;
    if (key == bannerKey || key == settingsKey) {
        // The settings window's status line shows the banner in full.
        if (m_actions.showSettings)
            m_actions.showSettings();
    } else if (key == setupGuideKey) {
        if (m_actions.showSetupGuide)
            m_actions.showSetupGuide();
    } else if (key == tileModeKey) {
        m_actions.fireToken("quorvane.tile-mode");
    } else if (key == cycleLayoutsKey) {
        m_actions.fireToken("quorvane.layout");
    } else if (key == saveLayoutKey) {
        saveLayout();
    } else if (key == aboutKey) {
        m_item.showAbout(AboutContent { "Quorvane", QuorvaneVersion::current,
            "Keyboard-driven window management, with the quorvane command.", "quorvane-symbolic" });
    } else if (key == updateAvailableKey) {
        openRelease();
    } else if (key == checkForUpdatesKey) {
        if (m_updates)
            m_updates->checkNow(
                m_self.bind([](StatusMenu& menu, const UpdateCheckResult& result) { menu.report(result); }));
    } else if (key == quitKey) {
        m_actions.quit();
    } else if (key == newAppKey) {
        m_actions.fireToken("quorvane.new-app");
    } else if (key.starts_with(layoutPrefix)) {
        report(m_actions.runCommand({ "layout", "apply", key.substr(std::string_view(layoutPrefix).size()) }));
    } else if (key.starts_with(webAppPrefix)) {
        if (const WebAppRecord* app
            = webAppWithSlug(m_config.config(), key.substr(std::string_view(webAppPrefix).size())))
            m_actions.fireToken(app->spec.bundleIdentifier);
    }
    refresh();
}

void StatusMenu::saveLayout()
{
    TextRequest request { "Save Layout", "Save the tiled windows as a layout named:", "Layout name", "Save", "Cancel" };
    m_item.askForText(request, m_self.bind([](StatusMenu& menu, std::optional<std::string> name) {
        if (!name)
            return;
        std::string layoutName = UnicodeText::trimmed(*name);
        if (layoutName.empty())
            menu.m_banner.setBanner("A layout needs a name.", false);
        else
            menu.report(menu.m_actions.runCommand({ "layout", "save", layoutName }));
    }));
}

void StatusMenu::report(const RPCResponse& response)
{
    m_banner.setBanner(response.message, response.exitCode == 0);
}

void StatusMenu::report(const UpdateCheckResult& result)
{
    switch (result.status) {
    case UpdateCheckResult::Status::upToDate:
        m_banner.setBanner("Quorvane is up to date.", true);
        return;
    case UpdateCheckResult::Status::available:
        m_banner.setBanner("Quorvane " + result.release->version + " is available.", true);
        return;
    case UpdateCheckResult::Status::failed:
        break;
    }
    m_banner.setBanner("Quorvane could not check for updates. " + result.problem, false);
}

void StatusMenu::openRelease()
{
    if (!m_updates || !m_updates->available())
        return;
    const std::string& url = m_updates->available()->url;
    if (!m_actions.openURL || !m_actions.openURL(url))
        m_banner.setBanner("No browser could open " + url + ".", false);
}

DoctorCheck StatusMenu::trayCheck() const
{
    switch (m_item.host()) {
    case TrayHost::statusNotifier:
        return DoctorCheck { "tray", DoctorCheck::Status::pass, "A tray shows Quorvane's item and menu." };
    case TrayHost::xembed:
        return DoctorCheck { "tray", DoctorCheck::Status::pass,
            "A system tray shows Quorvane's icon; its menu opens from there." };
    case TrayHost::none:
        break;
    }
    return DoctorCheck { "tray", DoctorCheck::Status::warn,
        "No tray is running, so Quorvane's menu is hidden (on GNOME, the AppIndicator extension shows it). "
        "The hotkeys and the quorvane command still work." };
}

} // namespace quorvane
