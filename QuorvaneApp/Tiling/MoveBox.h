#pragma once

#include "QuorvaneApp/Platform/WindowHandle.h"
#include "Tiling/AxisWrite.h"
#include "Tiling/Frame.h"

#include <cstdint>

namespace quorvane {

// One requested window move. Only the write pass of its application touches `slow`, and passes follow
// one another through the gate's lock.
struct MoveBox {
    WindowHandle handle;
    int32_t pid = 0;
    // The frame read when the move was asked for (the target when it could not be read).
    Frame from;
    Frame to;
    AxisWrite order = AxisWrite::positionThenSize;
    bool animate = false;
    // One write of this window took longer than `TileMotion::slowWrite`: it only gets the final frame.
    bool slow = false;
};

} // namespace quorvane
