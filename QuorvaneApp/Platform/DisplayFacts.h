#pragma once

#include "Tiling/Frame.h"

#include <string>

namespace quorvane {

// One connected display, in the global top-left space.
struct DisplayFacts {
    // The platform's name for the display ("DP-1", "sim:1").
    std::string name;
    Frame frame;
    // The frame without docks, panels and menu bars.
    Frame visibleFrame;
    // The primary display, whose top-left corner is the origin.
    bool isMain = false;

    friend bool operator==(const DisplayFacts&, const DisplayFacts&) = default;
};

} // namespace quorvane
