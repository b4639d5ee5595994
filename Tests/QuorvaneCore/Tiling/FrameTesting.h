#pragma once

#include "Tiling/Frame.h"

#include <cmath>
#include <gmock/gmock.h>
#include <ostream>

namespace quorvane {

inline void PrintTo(const Frame& frame, std::ostream* out)
{
    *out << "(" << frame.x << ", " << frame.y << ", " << frame.width << ", " << frame.height << ")";
}

namespace test {

// Hand-worked values such as 1408 / 3 differ from computed ones at most in the last bits.
inline bool near(const Frame& a, const Frame& b)
{
    auto close = [](double p, double q) { return std::abs(p - q) <= 1e-9; };
    return close(a.x, b.x) && close(a.y, b.y) && close(a.width, b.width) && close(a.height, b.height);
}

MATCHER_P(FrameNear, expected, ::testing::PrintToString(expected))
{
    return near(arg, expected);
}
MATCHER(FramesNear, "")
{
    return near(std::get<0>(arg), std::get<1>(arg));
}

} // namespace test
} // namespace quorvane
