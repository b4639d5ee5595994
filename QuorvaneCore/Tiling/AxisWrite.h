#pragma once

namespace quorvane {

// The order of the two attribute writes of one frame change.
enum class AxisWrite {
    positionThenSize,
    sizeThenPosition,
};

} // namespace quorvane
