#pragma once

#include "Tiling/DisplayShift.h"
#include "Tiling/Frame.h"

#include <optional>
#include <vector>

namespace quorvane {

struct NoticeSize;

// Moves `window` `delta` displays along `screens` (visible areas in display order), wrapping around
// at both ends. The window's display is the first one holding its centre, else the first display.
DisplayShift displayMove(const Frame& window, const std::vector<Frame>& screens, int delta, double gap);

// Maps `window` from area `from` to area `to`: a tiled window keeps its tile, any other window its
// relative place and size (not clamped to the target).
Frame frameMovedToDisplay(const Frame& window, const Frame& from, const Frame& to, double gap);

// Places the notice panel 8 points above the window it is about (below it when there is no room
// above), or near the top of `screen` without a window, and keeps it 8 points inside `screen`.
Frame displayNoticeFrame(const std::optional<Frame>& near, const NoticeSize& panel, const Frame& screen);

// Converts a top-left-space frame into the platform's bottom-up space, given the primary height.
Frame appKitFrame(const Frame& fromTopLeft, double primaryHeight);
// Converts a bottom-up frame into top-left space; the same flip as `appKitFrame`.
Frame topLeftFrame(const Frame& fromAppKit, double primaryHeight);

} // namespace quorvane
