#pragma once

#include "Configuration/QuorvanePaths.h"

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

class Applications;
class BannerSink;
class ConfigSource;
class AgentToast;
struct GeneralConfig;

// The agent actions: the agent hotkey and the first-run guide's choice. Main thread only.
class AgentActions {
public:
    // `saveGeneral` validates, saves and applies general settings; `showSettings` brings up the agents'
    // settings after a failure.
    AgentActions(Applications&, QuorvanePaths, AgentToast&, const ConfigSource&, BannerSink&,
        std::function<void(const GeneralConfig&)> saveGeneral, std::function<void()> showSettings);
    AgentActions(const AgentActions&) = delete;
    AgentActions& operator=(const AgentActions&) = delete;

    // Opens the configured command in the configured terminal and shows the toast; a failure goes to the
    // banner and opens the settings on the agents tab.
    void launchAgent();
    // Stores the command and, when not blank, the terminal through the general settings.
    void applyAgentSetup(const std::vector<std::string>& argv, const std::string& terminalBundleIdentifier);

private:
    void fail(const std::string& description);

    Applications& m_applications;
    QuorvanePaths m_paths;
    AgentToast& m_toast;
    const ConfigSource& m_config;
    BannerSink& m_banner;
    std::function<void(const GeneralConfig&)> m_saveGeneral;
    std::function<void()> m_showSettings;
};

} // namespace quorvane
