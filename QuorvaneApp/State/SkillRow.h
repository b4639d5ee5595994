#pragma once

#include "Agents/SkillInstallStatus.h"

#include <string>

namespace quorvane {

// One candidate skill folder as the settings list shows it.
struct SkillRow {
    // The folder as listed, possibly starting with "~".
    std::string folder;
    // Whether the folder looks like a place an agent reads.
    bool present = false;
    SkillInstallStatus status = SkillInstallStatus::missing;

    friend bool operator==(const SkillRow&, const SkillRow&) = default;
};

} // namespace quorvane
