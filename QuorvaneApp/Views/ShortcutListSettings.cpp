#include "QuorvaneApp/Views/ShortcutListSettings.h"

#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/SettingsControls.h"

namespace quorvane {

ShortcutListSettings::ShortcutListSettings(const ConfigSource& config, SettingsTab tab)
    : m_config(config)
    , m_tab(tab)
{
}

std::vector<SettingsSection> ShortcutListSettings::sections()
{
    bool apps = m_tab == SettingsTab::apps;
    SavedShortcutKind kind = apps ? SavedShortcutKind::webApp : SavedShortcutKind::appHotkey;
    std::string prefix = std::string(toString(m_tab)) + ".";
    SettingsSection section { prefix + "list", apps ? "Web apps" : "App hotkeys",
        apps ? "Add one with quorvane app add <url> --name <name>; remove one with quorvane app remove <name> --yes."
             : "Bind one with quorvane hotkey set <chord> <app>; remove one with quorvane hotkey unset <chord> --yes.",
        {} };
    for (const SavedShortcut& shortcut : savedShortcuts(m_config.config())) {
        if (shortcut.kind != kind)
            continue;
        section.controls.push_back(SettingsControls::row(
            prefix + "shortcut:" + shortcut.id, { shortcut.name, shortcut.detail, shortcut.hotkey.value_or("") }, {}));
    }
    if (section.controls.empty())
        section.controls.push_back(
            SettingsControls::note(prefix + "empty", apps ? "No web apps yet." : "No app hotkeys yet."));
    return { section };
}

} // namespace quorvane
