#pragma once

#include "QuorvaneApp/Platform/WindowFacts.h"
#include "Tiling/Frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One window as KWin's script reports it.
struct KWinWindowReport {
    // KWin's own id of the window ("{0b6f…}"), stable while the window lives.
    std::string id;
    int32_t pid = 0;
    // The desktop file KWin knows the window by, empty when none.
    std::string desktopFile;
    std::string resourceClass;
    std::string resourceName;
    std::string caption;
    // The frame (client area plus server-side decoration), in KWin's global space.
    Frame frame;
    WindowKind kind = WindowKind::standard;
    bool minimized = false;
    bool fullScreen = false;
    // On the current virtual desktop.
    bool shown = true;
    // KWin's stacking order: higher is nearer the front.
    int64_t stacking = 0;

    friend bool operator==(const KWinWindowReport&, const KWinWindowReport&) = default;
};

// One screen as the script reports it.
struct KWinScreenReport {
    // The output's name; empty where KWin's script interface does not tell it (KWin 5).
    std::string name;
    Frame frame;
    // The area that maximised windows fill: the frame without panels.
    Frame area;

    friend bool operator==(const KWinScreenReport&, const KWinScreenReport&) = default;
};

// What the script tells in one message: windows that came or changed, windows that went, and, when they
// changed, the active window and the screens. The first message of a script lists every window (`all`).
struct KWinReport {
    // `windows` is the complete list: windows not in it are gone.
    bool all = false;
    std::vector<KWinWindowReport> windows;
    std::vector<std::string> removed;
    // The active window's id, empty for none; absent when it did not change.
    std::optional<std::string> active;
    // Absent when the screens did not change.
    std::optional<std::vector<KWinScreenReport>> screens;

    friend bool operator==(const KWinReport&, const KWinReport&) = default;

    // Reads one message of the script; none when the text is not one. Members of a window or screen that are
    // missing or of the wrong kind count as empty, zero or false; a window without an id is left out.
    static std::optional<KWinReport> decode(std::string_view text);
};

} // namespace quorvane
