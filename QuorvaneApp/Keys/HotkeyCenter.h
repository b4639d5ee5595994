#pragma once

#include <vector>

namespace quorvane {

class AppModel;
struct DoctorCheck;

// Global chords, the leader key and tile mode's bare keys, turned into actions for the model.
// Owned by the model; main thread only.
class HotkeyCenter {
public:
    explicit HotkeyCenter(AppModel&);
    ~HotkeyCenter();

    // Start-up step 3: fired actions reach the model.
    void connectActions();
    // Start-up step 6: installs the press handler, starts the keyboard tap and registers every hotkey.
    void start();
    // Replaces every registration by the table of the model's current configuration.
    void rebind();
    // Census tick: starts the tap once input monitoring is allowed, and rebinds when it first runs.
    void noteInputMonitoring();
    // The key rows of `quorvane doctor`.
    std::vector<DoctorCheck> permissionChecks();

private:
    AppModel& m_model;
};

} // namespace quorvane
