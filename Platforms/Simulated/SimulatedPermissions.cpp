#include "Platforms/Simulated/SimulatedPermissions.h"

#include "Router/DoctorCheck.h"

namespace quorvane {

// The model writes the permission rows itself; the simulation has no display or window manager to report.
std::vector<DoctorCheck> SimulatedPermissions::checks()
{
    return {};
}

// The simulated desktop asks for the same two permissions as a desktop with an Input Monitoring switch.
PermissionWording SimulatedPermissions::wording()
{
    PermissionWording wording;
    wording.keyboardWatched = "Input Monitoring is on.";
    wording.leaderKeyWaits = "Leader keys need Input Monitoring.";
    wording.tileModeWaits = "Tile mode uses \u2303\u2325 chords until Input Monitoring is allowed.";
    return wording;
}

} // namespace quorvane
