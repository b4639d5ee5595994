#pragma once

#include "QuorvaneApp/Views/SettingsPane.h"

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

class BannerSink;
class ChordCheck;
class ConfigSource;
struct DoctorCheck;
struct GeneralConfig;

// The General tab: start-up, tiling and window switches, the leader key and the built-in chords, and the
// permission rows as `quorvane doctor` words them. Every edit saves the general settings with that one
// value changed, through the general-settings update (validation first: a refused value saves nothing).
class GeneralSettings : public SettingsPane {
public:
    // `saveGeneral` validates, saves and applies general settings; `checks` gives the doctor's permission rows.
    // Chords come from recorders and are checked with `chords` first; a refused one is said in `banner`.
    GeneralSettings(const ConfigSource&, std::function<void(const GeneralConfig&)> saveGeneral,
        std::function<std::vector<DoctorCheck>()> checks, const ChordCheck& chords, BannerSink& banner);

    SettingsTab tab() const override { return SettingsTab::general; }
    std::vector<SettingsSection> sections() override;
    void edit(const std::string& key, const std::string& value) override;
    void press(const std::string&) override { }

    // The keys a leader may be that the choice offers, after "None".
    static const std::vector<std::string>& leaderKeys();

private:
    const ConfigSource& m_config;
    std::function<void(const GeneralConfig&)> m_saveGeneral;
    std::function<std::vector<DoctorCheck>()> m_checks;
    const ChordCheck& m_chords;
    BannerSink& m_banner;
};

} // namespace quorvane
