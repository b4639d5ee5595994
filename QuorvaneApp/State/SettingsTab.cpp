#include "QuorvaneApp/State/SettingsTab.h"

#include "Support/RawValue.h"

namespace quorvane {

std::string_view toString(SettingsTab tab)
{
    switch (tab) {
    case SettingsTab::general:
        return "general";
    case SettingsTab::tiling:
        return "tiling";
    case SettingsTab::hotkeys:
        return "hotkeys";
    case SettingsTab::apps:
        return "apps";
    case SettingsTab::agents:
        return "agents";
    }
    return "general";
}

std::optional<SettingsTab> parseSettingsTab(std::string_view rawValue)
{
    return parseRawValue<SettingsTab>(rawValue, allSettingsTabs);
}

std::string_view title(SettingsTab tab)
{
    switch (tab) {
    case SettingsTab::general:
        return "General";
    case SettingsTab::tiling:
        return "Tiling";
    case SettingsTab::hotkeys:
        return "Hotkeys";
    case SettingsTab::apps:
        return "Apps";
    case SettingsTab::agents:
        return "Agents";
    }
    return "General";
}

} // namespace quorvane
