#pragma once

#include "Agents/SkillInstallStatus.h"
#include "Agents/SkillLocation.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Where the skill goes inside a chosen folder, and how candidate folders are judged.
namespace SkillPaths {

// "~" becomes `home`; "~/rest" becomes `home` + "/rest"; any other path is returned unchanged.
std::string expand(std::string_view path, std::string_view home);

// `folder` without one trailing "/", then "/quorvane" unless it already ends so.
std::string skillDirectory(std::string_view folder);

// `skillDirectory(folder)` + "/SKILL.md".
std::string skillFile(std::string_view folder);

// Missing without installed text, current when it equals the shipped text byte for byte, else outdated.
SkillInstallStatus status(const std::optional<std::string>& installedText, std::string_view bundledText);

// One location per folder, in order: present when the expanded folder exists, or when its parent exists
// and that parent is neither `home`, "/" nor empty.
std::vector<SkillLocation> classify(const std::vector<std::string>& folders, const std::string& home,
    const std::function<bool(const std::string&)>& exists);

// `classify` of the built-in folders, then the custom ones, against this disk: a path exists when anything,
// a dangling link included, stands there.
std::vector<SkillLocation> locate(const std::vector<std::string>& manifestFolders,
    const std::vector<std::string>& customFolders, const std::string& home);

} // namespace SkillPaths

} // namespace quorvane
