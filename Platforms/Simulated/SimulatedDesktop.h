#pragma once

#include "Platforms/Simulated/SimulatedApplications.h"
#include "Platforms/Simulated/SimulatedFileWatcher.h"
#include "Platforms/Simulated/SimulatedHotkeyRegistrar.h"
#include "Platforms/Simulated/SimulatedKeyboardTap.h"
#include "Platforms/Simulated/SimulatedLoginItem.h"
#include "Platforms/Simulated/SimulatedMainLoop.h"
#include "Platforms/Simulated/SimulatedOverlayPanels.h"
#include "Platforms/Simulated/SimulatedPermissions.h"
#include "Platforms/Simulated/SimulatedWindowSystem.h"
#include "Platforms/Simulated/SimulatedWorkerPool.h"
#include "QuorvaneApp/Platform/Platform.h"

namespace quorvane {

// A whole deterministic desktop in memory: the test bed of the application and the model of what a real
// backend provides. Create it on the thread that plays the main thread.
class SimulatedDesktop {
public:
    SimulatedDesktop();

    // Every part, as the model takes them.
    Platform platform();

    // Moves virtual time forward, firing timers and file watches on the way.
    void advance(double seconds) { loop.advance(seconds); }

    // Two displays side by side, the left one main, with a panel along their tops, and a handful of
    // windows of three applications on them; the editor's front window has focus.
    void addSampleScene();

    SimulatedMainLoop loop;
    SimulatedWindowSystem windowSystem { loop };
    SimulatedWorkerPool workers;
    SimulatedApplications applications { loop, windowSystem };
    SimulatedHotkeyRegistrar hotkeys { loop };
    SimulatedKeyboardTap keyboardTap { loop };
    SimulatedFileWatcher fileWatcher { loop };
    SimulatedPermissions permissions;
    SimulatedOverlayPanels overlay;
    SimulatedLoginItem loginItem;
};

} // namespace quorvane
