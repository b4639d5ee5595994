#pragma once

#include "QuorvaneApp/Platform/DisplayFacts.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class MainLoop;
class X11Connection;

// Reads the displays: RandR's monitors, each with the area its docks leave free.
class X11DisplayReader {
public:
    X11DisplayReader(X11Connection&, MainLoop&);

    // Every monitor, or the whole screen without RandR. `clients`, when known, are the managed windows whose
    // struts count; otherwise the window manager's client list is read first.
    std::vector<DisplayFacts> read(const std::vector<uint32_t>* clients);
    // The same, with the struts of the managed windows already read (`_NET_WM_STRUT_PARTIAL` or `_NET_WM_STRUT`
    // values, one list per window).
    std::vector<DisplayFacts> read(const std::vector<std::vector<uint32_t>>& struts);
    // The monitors have changed (RandR or the root window said so): the next read asks the server again.
    // Main thread.
    void forgetMonitors() { m_monitors.reset(); }

private:
    struct MonitorRequest;
    // Asks for the monitors unless they are known on this thread.
    std::optional<MonitorRequest> requestMonitors();
    // The monitors, each visible frame the whole monitor: answered, or as known.
    std::vector<DisplayFacts> collectMonitors(std::optional<MonitorRequest>);
    std::vector<DisplayFacts> withStruts(std::vector<DisplayFacts>, const std::vector<std::vector<uint32_t>>& struts);

    X11Connection& m_connection;
    MainLoop& m_mainLoop;
    // Monitor names by atom (main thread).
    std::map<uint32_t, std::string> m_atomNames;
    // The monitors as last read on the main thread, until they change.
    std::optional<std::vector<DisplayFacts>> m_monitors;
};

} // namespace quorvane
