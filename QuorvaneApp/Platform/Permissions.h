#pragma once

#include <string>
#include <vector>

namespace quorvane {

struct DoctorCheck;

// The sentences of the permission rows of `quorvane doctor`, in the words of the desktop the application
// runs on, so that each one is true there.
struct PermissionWording {
    // What the desktop calls reading and moving other applications' windows: the onboarding step's heading.
    std::string windowControlName = "Window control";
    // What to do while windows cannot be moved; empty when there is nothing to say.
    std::string windowControlHelp;
    // The "window-control" row.
    std::string windowControlAllowed = "Quorvane can move windows.";
    std::string windowControlDenied = "Quorvane may not move windows.";
    // The "keyboard" row: the keyboard tap runs.
    std::string keyboardWatched = "The leader key and the bare keys of tile mode work.";
    // The tap cannot run and a leader key is configured.
    std::string leaderKeyWaits = "Leader keys wait until Quorvane may see key presses.";
    // The tap cannot run and no leader key is configured.
    std::string tileModeWaits = "Tile mode uses the ctrl+opt chords until Quorvane may see key presses.";
    // The cheat sheet's note while the bare keys of tile mode are unavailable.
    std::string bareKeysWait
        = "Input Monitoring is off, so the bare keys wait until it is allowed. The chords above still work.";

    friend bool operator==(const PermissionWording&, const PermissionWording&) = default;
};

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
    // The sentences of the "window-control" and "keyboard" rows.
    virtual PermissionWording wording() { return {}; }
};

} // namespace quorvane
