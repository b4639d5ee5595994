#include "Agents/SkillPaths.h"

#include <gtest/gtest.h>
#include <set>

namespace quorvane {
namespace {

TEST(SkillPaths, ExpandsOnlyALeadingTildeFolder)
{
    EXPECT_EQ(SkillPaths::expand("~", "/home/u"), "/home/u");
    EXPECT_EQ(SkillPaths::expand("~/x", "/home/u"), "/home/u/x");
    EXPECT_EQ(SkillPaths::expand("~x", "/home/u"), "~x");
    EXPECT_EQ(SkillPaths::expand("/a/~/b", "/home/u"), "/a/~/b");
}

TEST(SkillPaths, PutsTheSkillInOneQuorvaneFolder)
{
    for (const char* folder : { "/a/b/", "/a/b", "/a/b/quorvane", "/a/b/quorvane/" })
        EXPECT_EQ(SkillPaths::skillFile(folder), "/a/b/quorvane/SKILL.md") << folder;
    EXPECT_EQ(SkillPaths::skillDirectory("/a/myquorvane"), "/a/myquorvane/quorvane");
}

TEST(SkillPaths, AFolderIsPresentWhenItOrAMeaningfulParentExists)
{
    const std::set<std::string> existing = { "/", "/home/u", "/home/u/.claude", "/home/u/.agents/skills", "/opt" };
    auto exists = [&](const std::string& path) { return existing.contains(path); };
    const std::vector<SkillLocation> locations = {
        { "~/.agents/skills", true },
        { "~/.claude/skills/", true },
        { "/opt//tools", true },
        { "~/.cursor", false }, // only the home folder exists
        { "~/.gemini/skills", false },
        { "/top", false },
        { "relative", false },
    };
    std::vector<std::string> folders;
    for (const SkillLocation& location : locations)
        folders.push_back(location.folder);
    EXPECT_EQ(SkillPaths::classify(folders, "/home/u", exists), locations);
    EXPECT_FALSE(SkillPaths::classify({ "~/.cursor" }, "/home/u/", exists).front().present);
}

} // namespace
} // namespace quorvane
