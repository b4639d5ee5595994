#pragma once

#include <compare>
#include <cstdint>

namespace quorvane {

// A window as the platform knows it; opaque to the model. Two handles are equal when they name the same window.
struct WindowHandle {
    uint64_t value = 0;

    friend bool operator==(const WindowHandle&, const WindowHandle&) = default;
    friend auto operator<=>(const WindowHandle&, const WindowHandle&) = default;
};

} // namespace quorvane
