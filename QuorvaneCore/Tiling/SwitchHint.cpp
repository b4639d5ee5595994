#include "Tiling/SwitchHint.h"

#include <cmath>

namespace quorvane {

double switchHintProgress(double time)
{
    constexpr double cycle = 2.25;
    constexpr double off = 0.55;
    constexpr double ramp = 0.4;
    constexpr double on = 1.85;
    double p = std::fmod(time, cycle);
    if (p < 0)
        p += cycle;
    if (p < off)
        return 0;
    if (p < off + ramp)
        return (p - off) / ramp;
    if (p < on)
        return 1;
    return 1 - (p - on) / ramp;
}

} // namespace quorvane
