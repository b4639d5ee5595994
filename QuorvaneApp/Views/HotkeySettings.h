#pragma once

#include "QuorvaneApp/Views/SettingsPane.h"

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

class BannerSink;
class ChordCheck;
class ConfigSource;
struct InstalledApplication;
struct RunningApplication;

// The Hotkeys tab: the application hotkeys (chord to app), each with its recorder and a Remove button, and
// a form that binds a recorded chord to an app chosen from the running applications, the installed ones and
// the web apps, or typed. Every chord is checked before anything runs; the edits are the command line's `hotkey set` and
// `hotkey unset`.
class HotkeySettings : public SettingsPane {
public:
    struct Actions {
        // Binds the new chord first and removes the old one once that worked.
        std::function<void(const std::string& oldChord, const std::string& newChord, const std::string& bundle)>
            replaceHotkey;
        RunCommand runCommand;
        // The applications running now, then those installed, offered as the new hotkey's app.
        std::function<std::vector<RunningApplication>()> running;
        std::function<std::vector<InstalledApplication>()> installed;
    };

    HotkeySettings(const ConfigSource&, BannerSink&, const ChordCheck&, Actions);

    SettingsTab tab() const override { return SettingsTab::hotkeys; }
    std::vector<SettingsSection> sections() override;
    void edit(const std::string& key, const std::string& value) override;
    void press(const std::string& key) override;

    // The hotkey being written in the form.
    struct Draft {
        std::string app;
        // Canonical, checked for `app` when recorded.
        std::string chord;
    };
    const Draft& draft() const { return m_draft; }

private:
    SettingsSection listSection() const;
    SettingsSection addSection() const;
    void add();

    const ConfigSource& m_config;
    BannerSink& m_banner;
    const ChordCheck& m_chords;
    Actions m_actions;
    Draft m_draft;
};

} // namespace quorvane
