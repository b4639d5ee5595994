#pragma once

#include "QuorvaneApp/Platform/WindowHandle.h"
#include "Tiling/Frame.h"

#include <cstdint>
#include <string>

namespace quorvane {

// One manageable window of another application, as tiling sees it.
struct LiveWindow {
    // The platform's stable text for the window ("x11:4194307", "sim:3").
    std::string id;
    int32_t pid = 0;
    // The owner's identifier; empty when it has none.
    std::string bundleIdentifier;
    std::string title;
    Frame frame;
    // The window for later writes.
    WindowHandle handle;
    // Shown, titled and taken in by the window manager; a window being set up is not yet.
    bool ready = true;

    friend bool operator==(const LiveWindow&, const LiveWindow&) = default;
};

} // namespace quorvane
