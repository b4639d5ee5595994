#pragma once

#include "QuorvaneApp/State/SkillRow.h"
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

// The Agents tab: the agent command as typed (and the words the launcher runs), the terminal it opens in,
// the agent chord, and the skill folders with install and uninstall. The command, terminal and chord save
// through the general-settings update; skills run `skill install` and `skill uninstall` through the request
// handler.
class AgentSettings : public SettingsPane {
public:
    struct Actions {
        // Validates, saves and applies general settings.
        std::function<void(const GeneralConfig&)> saveGeneral;
        RunCommand runCommand;
        // The skill folders and what each holds.
        std::function<std::vector<SkillRow>()> skills;
        // Reads the skill folders again.
        std::function<void()> refreshSkills;
        // Adds a folder of the person's own to the skill folders.
        std::function<void(const std::string& folder)> addSkillFolder;
        // Whether the terminal with this identifier is installed.
        std::function<bool(const std::string& identifier)> terminalInstalled;
    };

    static constexpr const char* skillIntro = "Install the Quorvane skill only in the folders you choose. It is a "
                                              "plain-text instruction file. Quorvane does not call an AI service.";

    // The recorded agent chord is checked with `chords` before it is saved.
    AgentSettings(const ConfigSource&, BannerSink&, const ChordCheck& chords, Actions);

    SettingsTab tab() const override { return SettingsTab::agents; }
    std::vector<SettingsSection> sections() override;
    void edit(const std::string& key, const std::string& value) override;
    void press(const std::string& key) override;

    // The command line a person would type for `argv`: bare words where the shell reads them as they are,
    // quoted ones elsewhere.
    static std::string typedCommand(const std::vector<std::string>& argv);

    // The agent command, terminal and chord; the skill folders. The onboarding panel shows them too.
    SettingsSection agentSection();
    SettingsSection skillSection();

private:
    void runSkillCommand(std::vector<std::string> arguments);

    const ConfigSource& m_config;
    BannerSink& m_banner;
    const ChordCheck& m_chords;
    Actions m_actions;
    // The command as the person typed it last, kept while it still stands for the words in force.
    std::optional<std::string> m_typedCommand;
    std::string m_folderDraft;
};

} // namespace quorvane
