#include "QuorvaneApp/Agents/AgentActions.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Agents/AgentLauncher.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/AgentToast.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

namespace quorvane {

AgentActions::AgentActions(Applications& applications, QuorvanePaths paths, AgentToast& toast,
    const ConfigSource& config, BannerSink& banner, std::function<void(const GeneralConfig&)> saveGeneral,
    std::function<void()> showSettings)
    : m_applications(applications)
    , m_paths(std::move(paths))
    , m_toast(toast)
    , m_config(config)
    , m_banner(banner)
    , m_saveGeneral(std::move(saveGeneral))
    , m_showSettings(std::move(showSettings))
{
}

void AgentActions::launchAgent()
{
    const GeneralConfig& general = m_config.config().general;
    AgentLauncher launcher(m_applications, m_paths.configDirectory(), m_paths.commandFile());
    try {
        launcher.launch(general.agentCommand, general.terminalBundleIdentifier);
    } catch (const QuorvaneError& error) {
        fail(error.message());
        return;
    } catch (const std::system_error& error) {
        fail(error.what());
        return;
    }
    m_toast.show(AgentLauncher::terminalName(general.terminalBundleIdentifier),
        AgentLauncher::commandName(general.agentCommand));
}

void AgentActions::applyAgentSetup(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier)
{
    GeneralConfig general = m_config.config().general;
    general.agentCommand = argv;
    std::string terminal = UnicodeText::trimmed(terminalBundleIdentifier);
    if (!terminal.empty())
        general.terminalBundleIdentifier = terminal;
    m_saveGeneral(general);
}

void AgentActions::fail(const std::string& description)
{
    m_banner.setBanner(description, false);
    m_showSettings();
}

} // namespace quorvane
