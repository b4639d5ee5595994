#include "QuorvaneApp/Views/GeneralSettings.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/SettingsControls.h"
#include "Router/DoctorCheck.h"

#include <optional>

#include <algorithm>
#include <map>

namespace quorvane {

namespace {

using namespace SettingsControls;

using Apply = void (*)(GeneralConfig&, const std::string&);

bool on(const std::string& value)
{
    return value == "true";
}

// What each control sets; the leader key is kept as typed and the update checks it, chords come checked.
const std::map<std::string, Apply>& fields()
{
    static const std::map<std::string, Apply> table {
        { "general.launch-at-login", [](GeneralConfig& g, const std::string& v) { g.launchAtLogin = on(v); } },
        { "general.check-for-updates", [](GeneralConfig& g, const std::string& v) { g.checkForUpdates = on(v); } },
        { "general.animate-tiles", [](GeneralConfig& g, const std::string& v) { g.animateTiles = on(v); } },
        { "general.auto-tile", [](GeneralConfig& g, const std::string& v) { g.autoTile = on(v); } },
        { "general.window-style",
            [](GeneralConfig& g, const std::string& v) { g.windowChrome = parseWindowChrome(v); } },
        { "general.leader-key", [](GeneralConfig& g, const std::string& v) { g.leaderKey = v; } },
        { "general.tile-mode-chord", [](GeneralConfig& g, const std::string& v) { g.tileModeHotkey = v; } },
        { "general.agent-chord-enabled", [](GeneralConfig& g, const std::string& v) { g.agentHotkeyEnabled = on(v); } },
        { "general.agent-chord", [](GeneralConfig& g, const std::string& v) { g.agentHotkey = v; } },
        { "general.new-app-chord", [](GeneralConfig& g, const std::string& v) { g.newAppHotkey = v; } },
        { "general.layout-chord", [](GeneralConfig& g, const std::string& v) { g.layoutHotkey = v; } },
        { "general.cycle-windows", [](GeneralConfig& g, const std::string& v) { g.cycleWindows = on(v); } },
        { "general.hide-on-repeat", [](GeneralConfig& g, const std::string& v) { g.hideOnRepeat = on(v); } },
    };
    return table;
}

// The token each chord field fires, which owns the chord already there.
const std::map<std::string, std::string>& chordOwners()
{
    static const std::map<std::string, std::string> owners {
        { "general.tile-mode-chord", "quorvane.tile-mode" },
        { "general.agent-chord", "quorvane.agent" },
        { "general.new-app-chord", "quorvane.new-app" },
        { "general.layout-chord", "quorvane.layout" },
    };
    return owners;
}

SettingsControl withHint(SettingsControl control, std::string hint)
{
    control.hint = std::move(hint);
    return control;
}

} // namespace

GeneralSettings::GeneralSettings(const ConfigSource& config, std::function<void(const GeneralConfig&)> saveGeneral,
    std::function<std::vector<DoctorCheck>()> checks, const ChordCheck& chords, BannerSink& banner)
    : m_config(config)
    , m_saveGeneral(std::move(saveGeneral))
    , m_checks(std::move(checks))
    , m_chords(chords)
    , m_banner(banner)
{
}

const std::vector<std::string>& GeneralSettings::leaderKeys()
{
    static const std::vector<std::string> keys { "caps", "grave", "tab", "escape", "backslash" };
    return keys;
}

std::vector<SettingsSection> GeneralSettings::sections()
{
    const GeneralConfig& general = m_config.config().general;
    std::vector<SettingsChoice> leaders { { "", "None" } };
    for (const std::string& key : leaderKeys())
        leaders.push_back({ key, key });
    SettingsControl leader = choice("general.leader-key", "Leader key", general.leaderKey, std::move(leaders));
    leader.editable = true;
    leader.hint = "Tap the leader, then a letter: leader+e.";

    std::vector<SettingsSection> sections;
    sections.push_back({ "general.startup", "Start-up", "",
        { toggle("general.launch-at-login", "Launch at login", general.launchAtLogin),
            toggle("general.check-for-updates", "Check for updates", general.checkForUpdates) } });
    sections.push_back({ "general.windows", "Windows", "",
        { toggle("general.animate-tiles", "Animate tiles", general.animateTiles),
            withHint(toggle("general.auto-tile", "Tile new windows by their rules", general.autoTile),
                "Rules are on the Tiling tab."),
            toggle("general.cycle-windows", "Repeat an app's hotkey to cycle its windows", general.cycleWindows),
            toggle("general.hide-on-repeat", "Repeat an app's hotkey to hide it", general.hideOnRepeat),
            choice("general.window-style", "Web app window style", std::string(toString(general.windowChrome)),
                { { "slim", "Slim title bar" }, { "standard", "Standard title bar" } }) } });
    sections.push_back({ "general.keys", "Keys", "Chords are written as ctrl+opt+space; opt is the Alt key.",
        { std::move(leader), chord("general.tile-mode-chord", "Tile mode chord", general.tileModeHotkey),
            toggle("general.agent-chord-enabled", "Agent chord on", general.agentHotkeyEnabled),
            chord("general.agent-chord", "Agent chord", general.agentHotkey),
            chord("general.new-app-chord", "New web app chord", general.newAppHotkey),
            chord("general.layout-chord", "Cycle layouts chord", general.layoutHotkey) } });
    SettingsSection permissions { "general.permissions", "Permissions", "", {} };
    std::vector<std::string> said;
    for (const DoctorCheck& row : m_checks()) {
        // The backend's own rows may repeat a sentence of the common ones; it is said once.
        if (std::find(said.begin(), said.end(), row.detail) != said.end())
            continue;
        said.push_back(row.detail);
        permissions.controls.push_back(check("general.permission:" + row.name, row));
    }
    sections.push_back(std::move(permissions));
    return sections;
}

void GeneralSettings::edit(const std::string& key, const std::string& value)
{
    auto field = fields().find(key);
    if (field == fields().end())
        return;
    std::string chosen = value;
    if (auto owner = chordOwners().find(key); owner != chordOwners().end()) {
        std::optional<std::string> chord = recordedChord(m_chords, m_banner, value, owner->second);
        if (!chord)
            return;
        chosen = *chord;
    }
    GeneralConfig general = m_config.config().general;
    field->second(general, chosen);
    m_saveGeneral(general);
}

} // namespace quorvane
