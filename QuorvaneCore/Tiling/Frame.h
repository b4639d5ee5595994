#pragma once

namespace quorvane {

// A rectangle in points. Tiling works in the global top-left space: origin at the primary display's
// top-left corner, y growing downward. No value is ever rounded.
struct Frame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }

    friend bool operator==(const Frame&, const Frame&) = default;
};

} // namespace quorvane
