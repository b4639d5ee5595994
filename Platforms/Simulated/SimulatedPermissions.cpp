#include "Platforms/Simulated/SimulatedPermissions.h"

#include "Router/DoctorCheck.h"

namespace quorvane {

std::vector<DoctorCheck> SimulatedPermissions::checks()
{
    if (m_windowControl)
        return { DoctorCheck { "windows", DoctorCheck::Status::pass, "Quorvane can move windows." } };
    return { DoctorCheck { "windows", DoctorCheck::Status::fail, "Quorvane may not move windows." } };
}

} // namespace quorvane
