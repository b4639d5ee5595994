#pragma once

#include <vector>

namespace quorvane {

struct DoctorCheck;
struct QuorvaneConfig;

// What is wrong with a decoded configuration: a passing "config" check first, then only problems.
std::vector<DoctorCheck> configDoctor(const QuorvaneConfig&);

} // namespace quorvane
