#pragma once

#include "QuorvaneApp/Platform/Permissions.h"

#include <optional>
#include <string>

namespace quorvane {

class X11Connection;
class X11KeyboardTap;

// What the X server and its window manager offer Quorvane, from which the permission rows are worded.
struct X11PermissionFacts {
    // The name of the EWMH window manager in charge; none when no such window manager runs.
    std::optional<std::string> windowManager;
    // Whether that window manager takes `_NET_MOVERESIZE_WINDOW` requests.
    bool takesMoveRequests = false;
    // What the server lacks for the keyboard tap ("XInput 2", "XKB and XInput 2"), empty when nothing.
    std::string tapMissing;
};

// On X11 nothing asks the user: windows can be moved exactly when an EWMH window manager runs that takes
// move requests, and key presses can be seen when the server has the XInput 2 and XKB extensions.
class X11Permissions : public Permissions {
public:
    X11Permissions(X11Connection&, X11KeyboardTap&);

    bool windowControlAllowed() override;
    bool inputMonitoringAllowed() override;
    std::vector<DoctorCheck> checks() override;
    // Names what is missing when windows cannot be moved or keys cannot be watched.
    PermissionWording wording() override;

    X11PermissionFacts facts();
    // The sentences of the permission rows for these facts.
    static PermissionWording wordingFor(const X11PermissionFacts&);

private:
    // What the window manager offers, read afresh only once the connection's window manager generation moves.
    X11PermissionFacts windowManagerFacts();

    X11Connection& m_connection;
    X11KeyboardTap& m_keyboardTap;
    std::optional<X11PermissionFacts> m_known;
    uint64_t m_knownGeneration = 0;
};

} // namespace quorvane
