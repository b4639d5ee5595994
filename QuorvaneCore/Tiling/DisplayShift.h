#pragma once

#include "Tiling/Frame.h"

namespace quorvane {

// The outcome of moving a window to another display: its new frame, or nowhere to go.
struct DisplayShift {
    enum class Kind {
        moved,
        onlyOneDisplay,
    };

    Kind kind = Kind::onlyOneDisplay;
    // The new frame; meaningful only when `kind` is `moved`.
    Frame frame;

    static DisplayShift moved(Frame frame) { return { Kind::moved, frame }; }
    static DisplayShift onlyOneDisplay() { return { Kind::onlyOneDisplay, {} }; }

    friend bool operator==(const DisplayShift&, const DisplayShift&) = default;
};

} // namespace quorvane
