#pragma once

#include "QuorvaneApp/Platform/Permissions.h"

#include <string>

namespace quorvane {

class KWinConnection;
class KWinWindowSystem;

// On KDE Plasma on Wayland nothing asks the user: windows can be moved while KWin runs Quorvane's script. Keys
// and the overlay do not work there yet, and the rows say so.
class KWinPermissions : public Permissions {
public:
    KWinPermissions(KWinConnection&, KWinWindowSystem&);

    bool windowControlAllowed() override;
    // Key presses are not seen on Wayland yet.
    bool inputMonitoringAllowed() override;
    std::vector<DoctorCheck> checks() override;
    PermissionWording wording() override;

private:
    KWinConnection& m_connection;
    KWinWindowSystem& m_windows;
    std::string m_waylandDisplay;
};

} // namespace quorvane
