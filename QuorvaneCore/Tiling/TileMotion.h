#pragma once

#include "Tiling/AxisWrite.h"
#include "Tiling/Frame.h"

namespace quorvane {

// The timing and easing of animated window moves.
namespace TileMotion {

// The length of an animation, in seconds.
inline constexpr double duration = 0.2;
// A window whose frame write takes longer than this (seconds) stops being animated.
inline constexpr double slowWrite = 0.012;

// Cubic ease-out of `t`, which is clamped to 0...1.
double easeOut(double t);

// Size first when the window shrinks by more than one square point, position first otherwise.
AxisWrite attributeOrder(const Frame& from, const Frame& to);

// The frame at `progress` (0...1) of the eased way from `from` to `to`.
Frame frame(const Frame& from, const Frame& to, double progress);

} // namespace TileMotion

} // namespace quorvane
