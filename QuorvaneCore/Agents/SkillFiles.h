#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// What `SkillFiles::uninstall` took away.
struct SkillUninstallResult {
    bool removedFile = false;
    bool removedDirectory = false;

    friend bool operator==(const SkillUninstallResult&, const SkillUninstallResult&) = default;
};

// Installs and removes the skill file in an (already expanded) folder. Platform failures are thrown as
// std::system_error; an empty folder text is refused with a usage error.
namespace SkillFiles {

// The text of the skill file in `folder`, or none when it cannot be read or is not UTF-8.
std::optional<std::string> installedContents(const std::string& folder);

// Creates the skill directory and writes `contents` to the skill file (mode 0644), replacing any old one.
// A symbolic link standing as the skill directory or the skill file is replaced; its target is untouched.
void install(std::string_view contents, const std::string& folder);

// Removes the skill file (a symbolic link itself, never its target), then the skill directory if it is empty.
SkillUninstallResult uninstall(const std::string& folder);

} // namespace SkillFiles

} // namespace quorvane
