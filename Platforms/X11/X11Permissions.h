#pragma once

#include "QuorvaneApp/Platform/Permissions.h"

#include <optional>
#include <string>

namespace quorvane {

class X11Connection;
class X11KeyboardTap;

// On X11 nothing asks the user: windows can be moved exactly when an EWMH window manager runs that takes
// move requests, and key presses can be seen when the server has the XInput 2 and XKB extensions.
class X11Permissions : public Permissions {
public:
    X11Permissions(X11Connection&, X11KeyboardTap&);

    bool windowControlAllowed() override;
    bool inputMonitoringAllowed() override;
    std::vector<DoctorCheck> checks() override;

    // The name of the EWMH window manager in charge, or none when no such window manager runs (or it does
    // not take `_NET_MOVERESIZE_WINDOW` requests).
    std::optional<std::string> windowManager();

private:
    X11Connection& m_connection;
    X11KeyboardTap& m_keyboardTap;
};

} // namespace quorvane
