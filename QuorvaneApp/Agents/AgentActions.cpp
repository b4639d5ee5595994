#include "QuorvaneApp/Agents/AgentActions.h"

#include "QuorvaneApp/Agents/AgentLauncher.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneApp/Platform/OverlayPanels.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr double toastWidth = 420;
constexpr double toastHeight = 72;
constexpr double toastInset = 28;
constexpr double toastMargin = 24;

} // namespace

AgentActions::AgentActions(AppModel& model)
    : m_model(model)
{
}

AgentActions::~AgentActions()
{
    if (m_toastTimer)
        m_model.platform().mainLoop.cancelTimer(m_toastTimer);
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
    showToast(AgentLauncher::terminalName(general.terminalBundleIdentifier),
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

// At the top of the main display (else the first), centred, for a few seconds; a new toast restarts the wait.
void AgentActions::showToast(const std::string& terminalName, const std::string& command)
{
    std::vector<DisplayFacts> displays = m_model.platform().windowSystem.displays();
    auto main
        = std::find_if(displays.begin(), displays.end(), [](const DisplayFacts& display) { return display.isMain; });
    Frame frame { 0, 0, toastWidth, toastHeight };
    if (main != displays.end() || !displays.empty()) {
        const Frame& visible = (main != displays.end() ? *main : displays.front()).visibleFrame;
        frame.width = std::min(visible.width - toastMargin, toastWidth);
        frame.x = visible.x + (visible.width - frame.width) / 2;
        frame.y = visible.y + toastInset;
    }
    OverlayPanels& overlay = m_model.platform().overlay;
    overlay.show(PanelKind::toast, frame, PanelContent { "Opening " + command + " in " + terminalName, "", {}, {} });
    MainLoop& loop = m_model.platform().mainLoop;
    if (m_toastTimer)
        loop.cancelTimer(m_toastTimer);
    m_toastTimer = loop.addTimer(toastSeconds, false, [this, &overlay] {
        m_toastTimer = 0;
        overlay.hide(PanelKind::toast);
    });
}

} // namespace quorvane
