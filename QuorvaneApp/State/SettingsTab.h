#pragma once

#include <optional>
#include <string_view>

namespace quorvane {

// The tabs of the settings window, in the order it shows them.
enum class SettingsTab { general, tiling, hotkeys, apps, agents };

constexpr SettingsTab allSettingsTabs[]
    = { SettingsTab::general, SettingsTab::tiling, SettingsTab::hotkeys, SettingsTab::apps, SettingsTab::agents };

// "general", "tiling", "hotkeys", "apps", "agents".
std::string_view toString(SettingsTab);
std::optional<SettingsTab> parseSettingsTab(std::string_view rawValue);
// The tab's label: "General", "Tiling", "Hotkeys", "Apps", "Agents".
std::string_view title(SettingsTab);

} // namespace quorvane
