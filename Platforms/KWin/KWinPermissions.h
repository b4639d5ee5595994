#pragma once

#include "QuorvaneApp/Platform/Permissions.h"

#include <string>

namespace quorvane {

class KWinConnection;
class KWinWindowSystem;

// On KDE Plasma on Wayland nothing asks the user: windows can be moved while KWin runs Quorvane's script. The
// rows say what differs from X11 for keys and the overlay.
class KWinPermissions : public Permissions {
public:
    KWinPermissions(KWinConnection&, KWinWindowSystem&);

    bool windowControlAllowed() override;
    // KWin hands over the keys its shortcuts ask for; nothing asks the user.
    bool inputMonitoringAllowed() override;
    std::vector<DoctorCheck> checks() override;
    PermissionWording wording() override;

private:
    KWinConnection& m_connection;
    KWinWindowSystem& m_windows;
    std::string m_waylandDisplay;
};

} // namespace quorvane
