#pragma once

#include "Platforms/Simulated/SimulatedAppWindows.h"
#include "Platforms/Simulated/SimulatedApplications.h"
#include "Platforms/Simulated/SimulatedFileWatcher.h"
#include "Platforms/Simulated/SimulatedHotkeyRegistrar.h"
#include "Platforms/Simulated/SimulatedKeyboardTap.h"
#include "Platforms/Simulated/SimulatedLoginItem.h"
#include "Platforms/Simulated/SimulatedMainLoop.h"
#include "Platforms/Simulated/SimulatedOverlayPanels.h"
#include "Platforms/Simulated/SimulatedPermissions.h"
#include "Platforms/Simulated/SimulatedStatusItem.h"
#include "Platforms/Simulated/SimulatedWindowSystem.h"
#include "Platforms/Simulated/SimulatedWorkerPool.h"
#include "QuorvaneApp/Platform/Platform.h"

namespace quorvane {

// A whole deterministic desktop in memory: the test bed of the application and the model of what a real
// backend provides. Create it on the thread that plays the main thread.
class SimulatedDesktop {
public:
    // A desktop on its own virtual clock, `loop`.
    SimulatedDesktop();
    // A desktop whose parts post to `mainLoop` instead, for running the application on a real main loop.
    explicit SimulatedDesktop(MainLoop& mainLoop);

    // Every part, as the model takes them.
    Platform platform();

    // Moves virtual time forward, firing timers and file watches on the way.
    void advance(double seconds) { loop.advance(seconds); }

    // Two displays side by side, the left one main, with a panel along their tops, and a handful of
    // windows of three applications on them; the editor's front window has focus.
    void addSampleScene();

    SimulatedMainLoop loop;
    // The loop every part posts to: `loop` unless another was given.
    MainLoop& mainLoop;
    SimulatedWindowSystem windowSystem { mainLoop };
    SimulatedWorkerPool workers;
    SimulatedApplications applications { mainLoop, windowSystem };
    SimulatedHotkeyRegistrar hotkeys { mainLoop };
    SimulatedKeyboardTap keyboardTap { mainLoop };
    SimulatedFileWatcher fileWatcher { mainLoop };
    SimulatedPermissions permissions;
    SimulatedOverlayPanels overlay;
    SimulatedLoginItem loginItem;
    SimulatedStatusItem statusItem;
    SimulatedAppWindows appWindows;
};

} // namespace quorvane
