#include "Agents/SkillPaths.h"

#include <filesystem>

namespace quorvane::SkillPaths {

namespace {

constexpr std::string_view skillFolderName = "/quorvane";

// Trailing slashes say nothing about which folder is meant; the root keeps its one slash.
std::string_view withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

// The folder holding `path`: "/" for a top-level entry, empty for a bare relative name.
std::string parentFolder(std::string_view path)
{
    path = withoutTrailingSlashes(path);
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    std::string_view parent = withoutTrailingSlashes(path.substr(0, slash));
    return parent.empty() ? std::string("/") : std::string(parent);
}

} // namespace

std::string expand(std::string_view path, std::string_view home)
{
    if (path == "~")
        return std::string(home);
    if (path.starts_with("~/"))
        return std::string(home) + std::string(path.substr(1));
    return std::string(path);
}

std::string skillDirectory(std::string_view folder)
{
    if (folder.ends_with('/'))
        folder.remove_suffix(1);
    std::string directory(folder);
    if (!folder.ends_with(skillFolderName))
        directory += skillFolderName;
    return directory;
}

std::string skillFile(std::string_view folder)
{
    return skillDirectory(folder) + "/SKILL.md";
}

SkillInstallStatus status(const std::optional<std::string>& installedText, std::string_view bundledText)
{
    if (!installedText)
        return SkillInstallStatus::missing;
    return *installedText == bundledText ? SkillInstallStatus::current : SkillInstallStatus::outdated;
}

std::vector<SkillLocation> classify(const std::vector<std::string>& folders, const std::string& home,
    const std::function<bool(const std::string&)>& exists)
{
    // The home folder and the root always exist, so their existence says nothing about an agent.
    std::string_view normalizedHome = withoutTrailingSlashes(home);
    std::vector<SkillLocation> locations;
    locations.reserve(folders.size());
    for (const std::string& folder : folders) {
        std::string expanded = expand(folder, home);
        bool present = exists(expanded);
        if (!present) {
            std::string parent = parentFolder(expanded);
            present = !parent.empty() && parent != "/" && parent != normalizedHome && exists(parent);
        }
        locations.push_back({ folder, present });
    }
    return locations;
}

std::vector<SkillLocation> locate(const std::vector<std::string>& manifestFolders,
    const std::vector<std::string>& customFolders, const std::string& home)
{
    std::vector<std::string> folders = manifestFolders;
    folders.insert(folders.end(), customFolders.begin(), customFolders.end());
    auto exists = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(path, error));
    };
    return classify(folders, home, exists);
}

} // namespace quorvane::SkillPaths
