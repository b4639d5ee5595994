#include "QuorvaneApp/Views/HotkeySettings.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/SettingsControls.h"
#include "RPC/RPCResponse.h"
#include "Support/UnicodeText.h"

#include <algorithm>

namespace quorvane {

namespace {

using namespace SettingsControls;

constexpr std::string_view chordPrefix = "hotkeys.chord:";
constexpr std::string_view removePrefix = "hotkeys.remove:";

} // namespace

HotkeySettings::HotkeySettings(
    const ConfigSource& config, BannerSink& banner, const ChordCheck& chords, Actions actions)
    : m_config(config)
    , m_banner(banner)
    , m_chords(chords)
    , m_actions(std::move(actions))
{
}

std::vector<SettingsSection> HotkeySettings::sections()
{
    return { listSection(), addSection() };
}

SettingsSection HotkeySettings::listSection() const
{
    SettingsSection section { "hotkeys.list", "App hotkeys",
        "Press a chord to record another one for its app; Backspace while recording removes it.", {} };
    for (const SavedShortcut& shortcut : savedShortcuts(m_config.config())) {
        if (shortcut.kind != SavedShortcutKind::appHotkey || !shortcut.hotkey)
            continue;
        const std::string& chordText = *shortcut.hotkey;
        section.controls.push_back(row("hotkeys.shortcut:" + shortcut.id, { shortcut.name, shortcut.detail },
            { chord(std::string(chordPrefix) + chordText, "", chordText, "Hotkey for " + shortcut.bundleIdentifier),
                button(std::string(removePrefix) + chordText, "Remove", "Remove the hotkey " + chordText) }));
    }
    if (section.controls.empty())
        section.controls.push_back(note("hotkeys.empty", "No app hotkeys yet."));
    return section;
}

SettingsSection HotkeySettings::addSection() const
{
    std::vector<SettingsChoice> apps;
    auto offer = [&](const std::string& id, const std::string& label) {
        if (id.empty() || std::any_of(apps.begin(), apps.end(), [&](const SettingsChoice& c) { return c.id == id; }))
            return;
        apps.push_back({ id, label });
    };
    if (m_actions.running) {
        for (const RunningApplication& app : m_actions.running()) {
            if (app.regular)
                offer(app.bundleIdentifier, app.name.empty() ? app.bundleIdentifier : app.name);
        }
    }
    if (m_actions.installed) {
        for (const InstalledApplication& app : m_actions.installed())
            offer(app.bundleIdentifier, app.name);
    }
    for (const WebAppRecord& app : m_config.config().apps)
        offer(app.spec.name, app.spec.name + " (web app)");
    SettingsControl app = choice("hotkeys.new-app", "App", m_draft.app, std::move(apps));
    app.editable = true;
    app.accessibleName = "Hotkey app";
    app.hint = "A running app, a web app, or an app's id typed.";
    SettingsControl recorder = chord("hotkeys.new-chord", "Chord", m_draft.chord, "New hotkey chord");
    recorder.hint = "Press, then type the chord.";
    return { "hotkeys.add", "Add a hotkey", "", { std::move(app), std::move(recorder), button("hotkeys.add-hotkey", "Add Hotkey") } };
}

void HotkeySettings::edit(const std::string& key, const std::string& value)
{
    if (key == "hotkeys.new-app") {
        m_draft.app = value;
    } else if (key == "hotkeys.new-chord") {
        std::optional<std::string> chord
            = recordedChord(m_chords, m_banner, value, UnicodeText::trimmed(m_draft.app));
        if (chord) {
            m_draft.chord = *chord;
            m_banner.setBanner("", true);
        }
    } else if (key.starts_with(chordPrefix)) {
        std::string old = key.substr(chordPrefix.size());
        std::string bundle;
        for (const NativeHotkey& hotkey : m_config.config().hotkeys) {
            if (hotkey.chord == old)
                bundle = hotkey.bundleIdentifier;
        }
        if (bundle.empty())
            return;
        std::optional<std::string> chord = recordedChord(m_chords, m_banner, value, bundle);
        if (!chord)
            return;
        if (chord->empty())
            report(m_banner, m_actions.runCommand({ "hotkey", "unset", old, "--yes" }));
        else
            m_actions.replaceHotkey(old, *chord, bundle);
    }
}

void HotkeySettings::press(const std::string& key)
{
    if (key == "hotkeys.add-hotkey")
        add();
    else if (key.starts_with(removePrefix))
        report(m_banner, m_actions.runCommand({ "hotkey", "unset", key.substr(removePrefix.size()), "--yes" }));
}

void HotkeySettings::add()
{
    std::string app = UnicodeText::trimmed(m_draft.app);
    if (app.empty() || m_draft.chord.empty()) {
        m_banner.setBanner("A hotkey needs a chord and an app.", false);
        return;
    }
    // The app may have changed since the chord was recorded, and the desktop with it.
    std::optional<std::string> chord = recordedChord(m_chords, m_banner, m_draft.chord, app);
    if (!chord)
        return;
    RPCResponse response = m_actions.runCommand({ "hotkey", "set", *chord, app });
    report(m_banner, response);
    if (response.exitCode == 0)
        m_draft = Draft {};
}

} // namespace quorvane
