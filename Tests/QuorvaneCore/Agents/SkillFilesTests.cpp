#include "Agents/SkillFiles.h"

#include "Agents/SkillPaths.h"
#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TemporaryFolder;

TEST(SkillFiles, InstallCreatesTheFoldersAndReplacesAnOldSkill)
{
    TemporaryFolder home;
    std::string folder = home.file(".agents/skills");
    EXPECT_EQ(SkillFiles::installedContents(folder), std::nullopt);

    SkillFiles::install("old", folder);
    SkillFiles::install("# Quorvane\n", folder);
    struct stat info { };
    ASSERT_EQ(::stat(home.file(".agents/skills/quorvane/SKILL.md").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(SkillFiles::installedContents(folder), "# Quorvane\n");

    test::writeFile(SkillPaths::skillFile(folder), "\xff\xfe not text");
    EXPECT_EQ(SkillFiles::installedContents(folder), std::nullopt);
    EXPECT_THROW(SkillFiles::install("text", ""), QuorvaneError);
}

TEST(SkillFiles, UninstallRemovesTheDirectoryOnlyWhenNothingElseIsInIt)
{
    struct Case {
        bool withDirectory, withSkill, withNeighbour;
        SkillUninstallResult expected;
    };
    for (const Case& item : std::vector<Case> {
             { true, true, false, { true, true } },
             { true, true, true, { true, false } },
             { true, false, false, { false, true } },
             { false, false, false, { false, false } },
         }) {
        TemporaryFolder home;
        std::string directory = SkillPaths::skillDirectory(home.path());
        if (item.withDirectory)
            fs::create_directories(directory);
        if (item.withSkill)
            test::writeFile(directory + "/SKILL.md", "skill");
        if (item.withNeighbour)
            test::writeFile(directory + "/notes.md", "mine");

        EXPECT_EQ(SkillFiles::uninstall(home.path()), item.expected);
        EXPECT_FALSE(fs::exists(directory + "/SKILL.md"));
        EXPECT_EQ(fs::exists(directory), item.withNeighbour);
    }
    EXPECT_THROW(SkillFiles::uninstall(""), QuorvaneError);
}

TEST(SkillFiles, LinksInsideTheSkillFolderAreReplacedAndRemovedWithoutTheirTargets)
{
    TemporaryFolder home;
    fs::create_directories(home.file("dotfiles/linked"));
    test::writeFile(home.file("dotfiles/SKILL.md"), "old");
    test::writeFile(home.file("dotfiles/linked/SKILL.md"), "old");
    // A linked skill file, and a linked skill folder: neither target may receive the text.
    fs::create_directories(home.file("skills/quorvane"));
    fs::create_symlink("../../dotfiles/SKILL.md", home.file("skills/quorvane/SKILL.md"));
    fs::create_directories(home.file("other"));
    fs::create_directory_symlink("../dotfiles/linked", home.file("other/quorvane"));

    for (const char* folder : { "skills", "other" }) {
        SkillFiles::install("new", home.file(folder));
        EXPECT_FALSE(fs::is_symlink(home.file(folder + std::string("/quorvane"))));
        EXPECT_FALSE(fs::is_symlink(home.file(folder + std::string("/quorvane/SKILL.md"))));
        EXPECT_EQ(SkillFiles::installedContents(home.file(folder)), "new");
    }
    EXPECT_EQ(readFile(home.file("dotfiles/SKILL.md")), "old");
    EXPECT_EQ(readFile(home.file("dotfiles/linked/SKILL.md")), "old");

    // A link whose target is gone is still the skill file; a folder in its place is not.
    fs::create_symlink("../../gone/SKILL.md", home.file("skills/quorvane/link"));
    fs::rename(home.file("skills/quorvane/link"), home.file("skills/quorvane/SKILL.md"));
    EXPECT_EQ(SkillFiles::uninstall(home.file("skills")), (SkillUninstallResult { true, true }));
    fs::create_directories(home.file("skills/quorvane/SKILL.md"));
    EXPECT_EQ(SkillFiles::uninstall(home.file("skills")), (SkillUninstallResult { false, false }));
    EXPECT_TRUE(fs::is_directory(home.file("skills/quorvane/SKILL.md")));
}

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

// The built-in folders come first, then the custom ones, each judged on this disk; a link that points
// nowhere still stands where an agent would look.
TEST(SkillPaths, LocatesTheBuiltInThenTheCustomFoldersOnDisk)
{
    TemporaryFolder home;
    fs::create_directories(home.file(".agents/skills"));
    fs::create_directories(home.file(".claude"));
    fs::create_symlink(home.file("nowhere"), home.file("dangling"));
    const std::vector<SkillLocation> expected = {
        { "~/.agents/skills", true },
        { "~/missing/skills", false },
        { "~/dangling", true },
        { "~/.claude/skills", true },
        { home.file("missing"), false },
    };
    EXPECT_EQ(SkillPaths::locate({ "~/.agents/skills", "~/missing/skills" },
                  { "~/dangling", "~/.claude/skills", home.file("missing") }, home.path()),
        expected);
}

} // namespace
} // namespace quorvane
