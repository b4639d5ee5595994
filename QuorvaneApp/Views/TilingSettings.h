#pragma once

#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneApp/Platform/WindowFacts.h"
#include "QuorvaneApp/Views/SettingsPane.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class BannerSink;
class ChordCheck;
class ConfigSource;
struct GeneralConfig;

// The Tiling tab: the gap with its presets, the tile chords with their defaults, the rules that place new
// windows with a form to add one (its app typed or picked by clicking a window), and the saved layouts.
// The gap and chords save through the general-settings update; rules and layouts run `rule add`, `rule
// remove` and `layout apply` through the request handler.
class TilingSettings : public SettingsPane {
public:
    using Picked = std::function<void(std::optional<WindowFacts>)>;

    struct Actions {
        // Validates, saves and applies general settings.
        std::function<void(const GeneralConfig&)> saveGeneral;
        RunCommand runCommand;
        // Lets the person click a window (the window system's pick).
        std::function<void(Picked)> pickWindow;
        // How many displays are connected.
        std::function<int()> displayCount;
        // What the tab shows has changed by itself (a pick ended).
        std::function<void()> changed;
    };

    // The largest gap the spin button offers, in points.
    static constexpr double maximumGap = 200;

    // Recorded tile chords are checked with `chords` before they are saved.
    TilingSettings(const ConfigSource&, BannerSink&, const ChordCheck& chords, Actions);

    SettingsTab tab() const override { return SettingsTab::tiling; }
    std::vector<SettingsSection> sections() override;
    void edit(const std::string& key, const std::string& value) override;
    void press(const std::string& key) override;

    // The rule being written in the form.
    struct Draft {
        std::string app;
        std::string tile = "left-half";
        // Empty: any display.
        std::string display;
        std::string title;
    };
    const Draft& draft() const { return m_draft; }
    bool picking() const { return m_picking; }

private:
    SettingsSection gapSection() const;
    SettingsSection chordSection() const;
    SettingsSection ruleSection() const;
    SettingsSection layoutSection() const;
    void saveGap(double points);
    void addRule();
    void removeRule(const std::string& target);
    void pick();
    void picked(const std::optional<WindowFacts>&);

    const ConfigSource& m_config;
    BannerSink& m_banner;
    const ChordCheck& m_chords;
    Actions m_actions;
    Draft m_draft;
    bool m_picking = false;
    WeakSelf<TilingSettings> m_self { *this };
};

} // namespace quorvane
