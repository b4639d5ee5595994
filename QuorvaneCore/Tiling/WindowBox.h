#pragma once

#include "Tiling/Frame.h"

#include <string>

namespace quorvane {

// A window as neighbour search sees it: the caller's identifier and its frame.
struct WindowBox {
    std::string id;
    Frame frame;

    friend bool operator==(const WindowBox&, const WindowBox&) = default;
};

} // namespace quorvane
