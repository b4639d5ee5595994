#pragma once

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Views/SettingsPane.h"

namespace quorvane {

class ConfigSource;

// The Hotkeys and Apps tabs as lists to read: the application hotkeys, or the web apps, with the commands
// that change them.
class ShortcutListSettings : public SettingsPane {
public:
    // The Hotkeys tab lists application hotkeys, the Apps tab web apps.
    ShortcutListSettings(const ConfigSource&, SettingsTab);

    SettingsTab tab() const override { return m_tab; }
    std::vector<SettingsSection> sections() override;
    void edit(const std::string&, const std::string&) override { }
    void press(const std::string&) override { }

private:
    const ConfigSource& m_config;
    SettingsTab m_tab;
};

} // namespace quorvane
