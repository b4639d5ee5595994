#pragma once

namespace quorvane {

// How the skill file in a folder compares with the shipped one.
enum class SkillInstallStatus {
    missing,
    current,
    outdated,
};

} // namespace quorvane
