#include "QuorvaneApp/Agents/AgentActions.h"

#include "QuorvaneApp/Agents/AgentLauncher.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneApp/Tiling/TileOverlay.h"
#include "QuorvaneApp/Tiling/TilingActions.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

namespace quorvane {

AgentActions::AgentActions(AppModel& model)
    : m_model(model)
{
}

void AgentActions::launchAgent()
{
    const GeneralConfig& general = m_model.config().general;
    AgentLauncher launcher(
        m_model.platform().applications, m_model.paths().configDirectory(), m_model.paths().commandFile());
    try {
        launcher.launch(general.agentCommand, general.terminalBundleIdentifier);
    } catch (const QuorvaneError& error) {
        fail(error.message());
        return;
    } catch (const std::system_error& error) {
        fail(error.what());
        return;
    }
    m_model.tiling().overlay().showAgentToast(AgentLauncher::terminalName(general.terminalBundleIdentifier),
        AgentLauncher::commandName(general.agentCommand));
}

void AgentActions::applyAgentSetup(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier)
{
    GeneralConfig general = m_model.config().general;
    general.agentCommand = argv;
    std::string terminal = UnicodeText::trimmed(terminalBundleIdentifier);
    if (!terminal.empty())
        general.terminalBundleIdentifier = terminal;
    m_model.setGeneral(general);
}

void AgentActions::fail(const std::string& description)
{
    m_model.setBanner(description, false);
    m_model.showSettings(SettingsTab::agents);
}

} // namespace quorvane
