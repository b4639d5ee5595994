#include "Tiling/TileMotion.h"

#include <algorithm>

namespace quorvane::TileMotion {

double easeOut(double t)
{
    double u = 1 - std::clamp(t, 0.0, 1.0);
    return 1 - u * u * u;
}

AxisWrite attributeOrder(const Frame& from, const Frame& to)
{
    if (to.width * to.height + 1 < from.width * from.height)
        return AxisWrite::sizeThenPosition;
    return AxisWrite::positionThenSize;
}

Frame frame(const Frame& from, const Frame& to, double progress)
{
    double eased = easeOut(progress);
    auto step = [eased](double start, double end) { return start + (end - start) * eased; };
    return { step(from.x, to.x), step(from.y, to.y), step(from.width, to.width), step(from.height, to.height) };
}

} // namespace quorvane::TileMotion
