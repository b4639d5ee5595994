#pragma once

#include "QuorvaneApp/Platform/MainLoop.h"

#include <string>

namespace quorvane {

class OverlayPanels;
class WindowAccess;

// The toast the agent hotkey shows while its terminal opens: which command, in which terminal, for 3.2 s
// near the top of the main display. Main thread only.
class AgentToast {
public:
    static constexpr double seconds = 3.2;

    AgentToast(MainLoop&, OverlayPanels&, WindowAccess&);
    ~AgentToast();
    AgentToast(const AgentToast&) = delete;
    AgentToast& operator=(const AgentToast&) = delete;

    void show(const std::string& terminalName, const std::string& command);

    const std::string& text() const { return m_text; }
    const std::string& detail() const { return m_detail; }

private:
    MainLoop& m_loop;
    OverlayPanels& m_panels;
    WindowAccess& m_access;
    std::string m_text;
    std::string m_detail;
    TimerId m_timer = 0;
};

} // namespace quorvane
