#pragma once

#include "QuorvaneApp/Platform/Permissions.h"

namespace quorvane {

// Permissions of the simulated desktop, switched by the test.
class SimulatedPermissions : public Permissions {
public:
    void setWindowControl(bool allowed) { m_windowControl = allowed; }
    void setInputMonitoring(bool allowed) { m_inputMonitoring = allowed; }

    bool windowControlAllowed() override { return m_windowControl; }
    bool inputMonitoringAllowed() override { return m_inputMonitoring; }
    std::vector<DoctorCheck> checks() override;
    PermissionWording wording() override;

private:
    bool m_windowControl = true;
    bool m_inputMonitoring = true;
};

} // namespace quorvane
