#pragma once

#include <vector>

namespace quorvane {

struct DoctorCheck;

// What the desktop allows this application, and how the backend words it for `quorvane doctor`.
class Permissions {
public:
    virtual ~Permissions() = default;

    // Reading and moving other applications' windows; never prompts.
    virtual bool windowControlAllowed() = 0;
    // Seeing key presses meant for other applications; never prompts.
    virtual bool inputMonitoringAllowed() = 0;
    // The backend's own check rows (the display it uses, the window manager, permissions).
    virtual std::vector<DoctorCheck> checks() = 0;
};

} // namespace quorvane
