#pragma once

namespace quorvane {

// The brightness (0...1) of the pulsing switch in the permission hint at `time` seconds. One cycle of
// 2.25 s: 0.55 s off, 0.4 s rise, 0.9 s on, 0.4 s fall.
double switchHintProgress(double time);

} // namespace quorvane
