#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The skill text and the skill-folder list shipped with the core.
namespace BundledResources {

// The shipped "SKILL.md", or empty text when it is missing or not UTF-8.
std::string skillText();

// The "folders" list of the shipped "skill-folders.json"; empty when the resource is missing or unusable.
std::vector<std::string> skillFolders();

// The string entries of the "folders" list of the JSON object `manifest`; empty when `manifest` is not a JSON
// object or its "folders" member is missing or not a list.
std::vector<std::string> skillFolders(std::string_view manifest);

} // namespace BundledResources

} // namespace quorvane
