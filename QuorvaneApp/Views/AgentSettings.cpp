#include "QuorvaneApp/Views/AgentSettings.h"

#include "Agents/SetupChoices.h"
#include "Agents/ShellQuote.h"
#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/SettingsControls.h"
#include "RPC/RPCResponse.h"
#include "Support/UnicodeText.h"

#include <algorithm>

namespace quorvane {

namespace {

using namespace SettingsControls;

constexpr std::string_view installPrefix = "agents.skill-install:";
constexpr std::string_view uninstallPrefix = "agents.skill-uninstall:";

bool bare(const std::string& word)
{
    return !word.empty() && word.find_first_of(" \t\n\r\f\v'\"\\") == std::string::npos;
}

std::string statusText(const SkillRow& skill)
{
    std::string text = skill.status == SkillInstallStatus::current ? "Installed"
        : skill.status == SkillInstallStatus::outdated             ? "Out of date"
                                                                   : "Not installed";
    return skill.present ? text : text + ", no agent reads this folder yet";
}

} // namespace

AgentSettings::AgentSettings(const ConfigSource& config, BannerSink& banner, const ChordCheck& chords, Actions actions)
    : m_config(config)
    , m_banner(banner)
    , m_chords(chords)
    , m_actions(std::move(actions))
{
}

std::string AgentSettings::typedCommand(const std::vector<std::string>& argv)
{
    std::string text;
    for (const std::string& word : argv) {
        if (!text.empty())
            text += ' ';
        text += bare(word) ? word : ShellQuote::single(word);
    }
    return text;
}

std::vector<SettingsSection> AgentSettings::sections()
{
    return { agentSection(), skillSection() };
}

SettingsSection AgentSettings::agentSection()
{
    const GeneralConfig& general = m_config.config().general;
    if (m_typedCommand && ShellQuote::split(*m_typedCommand) != general.agentCommand)
        m_typedCommand.reset();
    SettingsControl command
        = text("agents.command", "Agent command", m_typedCommand.value_or(typedCommand(general.agentCommand)));
    command.hint = general.agentCommand.empty()
        ? "No command yet. Type it as in a terminal, for example claude or aider --model sonnet."
        : "Runs " + ShellQuote::command(general.agentCommand) + " in the config folder.";

    std::vector<SettingsChoice> terminals;
    for (const SetupTerminal& terminal : SetupChoices::terminals()) {
        bool listed = std::any_of(terminals.begin(), terminals.end(),
            [&](const SettingsChoice& choice) { return choice.label == terminal.name; });
        if (!listed && m_actions.terminalInstalled && m_actions.terminalInstalled(terminal.bundleIdentifier))
            terminals.push_back({ terminal.bundleIdentifier, terminal.name });
    }
    const SetupTerminal& fallback = SetupChoices::fallbackTerminal();
    terminals.push_back({ fallback.bundleIdentifier, "The system's default terminal" });
    const std::string& chosen = general.terminalBundleIdentifier;
    if (std::none_of(terminals.begin(), terminals.end(), [&](const SettingsChoice& c) { return c.id == chosen; }))
        terminals.push_back({ chosen, chosen + " (not installed: the system's default opens)" });

    return { "agents.agent", "Agent", "",
        { std::move(command), choice("agents.terminal", "Terminal", chosen, std::move(terminals)),
            toggle("agents.chord-enabled", "Agent chord on", general.agentHotkeyEnabled),
            chord("agents.chord", "Agent chord", general.agentHotkey) } };
}

SettingsSection AgentSettings::skillSection()
{
    SettingsSection section { "agents.skills", "Skill", skillIntro, {} };
    for (const SkillRow& skill : m_actions.skills()) {
        std::vector<SettingsControl> buttons;
        if (skill.status != SkillInstallStatus::current)
            buttons.push_back(button(std::string(installPrefix) + skill.folder,
                skill.status == SkillInstallStatus::outdated ? "Update" : "Install",
                "Install the skill in " + skill.folder));
        if (skill.status != SkillInstallStatus::missing)
            buttons.push_back(button(
                std::string(uninstallPrefix) + skill.folder, "Uninstall", "Uninstall the skill from " + skill.folder));
        section.controls.push_back(row("agents.skill:" + skill.folder, { skill.folder, statusText(skill) }, buttons));
    }
    SettingsControl folder = text("agents.skill-folder", "Another folder", m_folderDraft);
    folder.live = true;
    folder.accessibleName = "Another skill folder";
    section.controls.push_back(std::move(folder));
    section.controls.push_back(button("agents.add-skill-folder", "Add Folder", "Add the skill folder"));
    return section;
}

void AgentSettings::edit(const std::string& key, const std::string& value)
{
    GeneralConfig general = m_config.config().general;
    if (key == "agents.command") {
        m_typedCommand = value;
        general.agentCommand = ShellQuote::split(value);
    } else if (key == "agents.terminal") {
        general.terminalBundleIdentifier = UnicodeText::trimmed(value);
    } else if (key == "agents.chord-enabled") {
        general.agentHotkeyEnabled = value == "true";
    } else if (key == "agents.chord") {
        std::optional<std::string> chord = recordedChord(m_chords, m_banner, value, "quorvane.agent");
        if (!chord)
            return;
        general.agentHotkey = *chord;
    } else {
        if (key == "agents.skill-folder")
            m_folderDraft = value;
        return;
    }
    m_actions.saveGeneral(general);
}

void AgentSettings::press(const std::string& key)
{
    if (key.starts_with(installPrefix)) {
        runSkillCommand({ "skill", "install", key.substr(installPrefix.size()) });
    } else if (key.starts_with(uninstallPrefix)) {
        runSkillCommand({ "skill", "uninstall", key.substr(uninstallPrefix.size()), "--yes" });
    } else if (key == "agents.add-skill-folder") {
        std::string folder = UnicodeText::trimmed(m_folderDraft);
        if (folder.empty())
            return;
        m_folderDraft.clear();
        m_actions.addSkillFolder(folder);
    }
}

void AgentSettings::runSkillCommand(std::vector<std::string> arguments)
{
    report(m_banner, m_actions.runCommand(arguments));
    // Installing over an older copy changes a file but not the configuration.
    m_actions.refreshSkills();
}

} // namespace quorvane
