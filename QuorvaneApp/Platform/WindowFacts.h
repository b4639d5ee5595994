#pragma once

#include "QuorvaneApp/Platform/WindowHandle.h"
#include "Tiling/Frame.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

// What kind of window the platform says a window is, as far as tiling cares.
enum class WindowKind {
    // An ordinary document or application window.
    standard,
    dialog,
    systemDialog,
    // The platform reports a window of unknown kind.
    unknown,
    // Not a window at all in the tiling sense: a dock, menu, tooltip, desktop or the like.
    other,
};

// One top-level window of any application, with the raw facts the platform reports. Frames are in the
// global top-left space.
struct WindowFacts {
    WindowHandle handle;
    // Stable text naming the window for the command line and rules: "x11:4194307", "sim:3".
    std::string id;
    int32_t pid = 0;
    // The owning application's identifier; empty when it has none.
    std::string bundleIdentifier;
    std::string title;
    // Absent when the position or size cannot be read.
    std::optional<Frame> frame;
    // Absent when the platform says nothing about the window's kind.
    std::optional<WindowKind> kind;
    bool minimized = false;
    bool fullScreen = false;
    // A window of this application itself (its panels and rings).
    bool ownWindow = false;
    // Whether the window is fully there: shown, titled and taken in by the window manager. A window that
    // is still being set up may get its title a moment later. Platforms that cannot tell say it is.
    bool ready = true;

    friend bool operator==(const WindowFacts&, const WindowFacts&) = default;
};

// One entry of the platform's list of windows that are really visible, front to back.
struct OnScreenWindow {
    int32_t pid = 0;
    Frame frame;

    friend bool operator==(const OnScreenWindow&, const OnScreenWindow&) = default;
};

} // namespace quorvane
