#pragma once

#include <string>

namespace quorvane {

// One candidate skill folder, as listed, and whether it looks like a place an agent reads.
struct SkillLocation {
    // The folder text as listed, possibly starting with "~".
    std::string folder;
    bool present = false;

    friend bool operator==(const SkillLocation&, const SkillLocation&) = default;
};

} // namespace quorvane
