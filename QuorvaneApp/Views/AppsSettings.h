#pragma once

#include "QuorvaneApp/Views/SettingsPane.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class BannerSink;
class ChordCheck;
class ConfigSource;
struct WebAppRecord;

// The Apps tab: the web apps, each with its address, tile and hotkey recorder, and Open, Edit and Remove.
// Edit changes the name, the address and the tile in place (the bundle follows); Remove asks in the row
// first, then runs the command line's `app remove`. New Web App… opens the panel that makes one.
class AppsSettings : public SettingsPane {
public:
    struct Actions {
        RunCommand runCommand;
        // Saves the edited name, address and tile of the web app called `oldName`, checked against the file as
        // it is then; its bundle follows. The reason it could not be saved, or none.
        std::function<std::optional<std::string>(const std::string& oldName, const WebAppRecord&)> saveApp;
        // Sets (a blank chord: removes) the web app's hotkey and reports it.
        std::function<void(const std::string& slug, const std::string& chord)> setHotkey;
        // Launches or brings forward the app, as its hotkey does.
        std::function<void(const std::string& bundleIdentifier)> open;
        std::function<void()> newApp;
        // The path of the web app's installed icon image nearest this many pixels, as its launcher shows it; "" when
        // it has none.
        std::function<std::string(const std::string& bundleIdentifier, int edge)> iconPath;
    };

    AppsSettings(const ConfigSource&, BannerSink&, const ChordCheck&, Actions);

    // The edge in pixels of the icon each web app's row shows.
    static constexpr int iconEdge = 24;

    SettingsTab tab() const override { return SettingsTab::apps; }
    std::vector<SettingsSection> sections() override;
    void edit(const std::string& key, const std::string& value) override;
    void press(const std::string& key) override;

    // The edit being written: the web app's slug and its fields as typed.
    struct Draft {
        std::string slug;
        std::string name;
        std::string address;
        std::string tile;
    };
    const std::optional<Draft>& draft() const { return m_draft; }

private:
    SettingsSection listSection() const;
    SettingsSection editSection() const;
    const WebAppRecord* app(const std::string& slug) const;
    void save();

    const ConfigSource& m_config;
    BannerSink& m_banner;
    const ChordCheck& m_chords;
    Actions m_actions;
    std::optional<Draft> m_draft;
    // The web app whose row asks whether to remove it.
    std::string m_removing;
};

} // namespace quorvane
