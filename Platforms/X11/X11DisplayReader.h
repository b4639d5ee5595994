#pragma once

#include "QuorvaneApp/Platform/DisplayFacts.h"

#include <cstdint>
#include <map>
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

private:
    X11Connection& m_connection;
    MainLoop& m_mainLoop;
    // Monitor names by atom (main thread).
    std::map<uint32_t, std::string> m_atomNames;
};

} // namespace quorvane
