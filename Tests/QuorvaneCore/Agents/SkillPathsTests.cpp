#include "Agents/SkillPaths.h"

#include <gtest/gtest.h>
#include <set>

namespace quorvane {
namespace {

TEST(SkillPaths, ExpandsOnlyALeadingTildeFolder)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "~", "/home/u" },
        { "~/x", "/home/u/x" },
        { "~x", "~x" },
        { "/a/~/b", "/a/~/b" },
        { "", "" },
    };
    for (const auto& [path, expanded] : cases)
        EXPECT_EQ(SkillPaths::expand(path, "/home/u"), expanded) << path;
}

TEST(SkillPaths, PutsTheSkillInOneQuorvaneFolder)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "/a/b/", "/a/b/quorvane" },
        { "/a/b", "/a/b/quorvane" },
        { "/a/quorvane", "/a/quorvane" },
        { "/a/quorvane/", "/a/quorvane" },
        { "/a/myquorvane", "/a/myquorvane/quorvane" },
    };
    for (const auto& [folder, directory] : cases) {
        EXPECT_EQ(SkillPaths::skillDirectory(folder), directory) << folder;
        EXPECT_EQ(SkillPaths::skillFile(folder), directory + "/SKILL.md") << folder;
    }
}

TEST(SkillPaths, ComparesTheInstalledTextExactly)
{
    EXPECT_EQ(SkillPaths::status("# Skill\n", "# Skill\n"), SkillInstallStatus::current);
    EXPECT_EQ(SkillPaths::status("# Skil\n", "# Skill\n"), SkillInstallStatus::outdated);
    EXPECT_EQ(SkillPaths::status("", "# Skill\n"), SkillInstallStatus::outdated);
    EXPECT_EQ(SkillPaths::status(std::nullopt, "# Skill\n"), SkillInstallStatus::missing);
}

TEST(SkillPaths, AFolderIsPresentWhenItOrAMeaningfulParentExists)
{
    const std::set<std::string> existing = { "/", "/home/u", "/home/u/.claude", "/home/u/.agents/skills", "/opt" };
    auto exists = [&](const std::string& path) { return existing.contains(path); };
    const std::vector<std::pair<std::string, bool>> cases = {
        { "~/.agents/skills", true },
        { "~/.claude/skills", true },
        { "~/.claude/skills/", true },
        { "/opt//tools", true },
        { "~/.cursor", false },
        { "~/.gemini/skills", false },
        { "/top", false },
        { "relative", false },
    };
    std::vector<std::string> folders;
    std::vector<SkillLocation> expected;
    for (const auto& [folder, present] : cases) {
        folders.push_back(folder);
        expected.push_back({ folder, present });
    }
    EXPECT_EQ(SkillPaths::classify(folders, "/home/u", exists), expected);
    EXPECT_EQ(SkillPaths::classify({ "~/.cursor" }, "/home/u/", exists),
        (std::vector<SkillLocation> { { "~/.cursor", false } }));
}

} // namespace
} // namespace quorvane
