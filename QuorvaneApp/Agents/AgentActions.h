#pragma once

#include <string>
#include <vector>

namespace quorvane {

class AppModel;

// The model's agent actions: the agent hotkey and the first-run guide's choice. Owned by the model; main
// thread only.
class AgentActions {
public:
    explicit AgentActions(AppModel&);
    AgentActions(const AgentActions&) = delete;
    AgentActions& operator=(const AgentActions&) = delete;

    // Opens the configured command in the configured terminal and shows the toast; a failure goes to the
    // banner and opens the settings on the agents tab.
    void launchAgent();
    // Stores the command and, when not blank, the terminal through the general settings.
    void applyAgentSetup(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier);

private:
    void fail(const std::string& description);

    AppModel& m_model;
};

} // namespace quorvane
