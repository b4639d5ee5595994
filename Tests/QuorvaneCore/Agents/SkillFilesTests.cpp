#include "Agents/SkillFiles.h"

#include "Agents/SkillPaths.h"
#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TemporaryFolder;

mode_t modeOf(const std::string& path)
{
    struct stat info { };
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(SkillFiles, InstallCreatesTheFoldersAndReplacesAnOldSkill)
{
    TemporaryFolder home;
    std::string folder = home.file(".agents/skills");
    EXPECT_EQ(SkillFiles::installedContents(folder), std::nullopt);

    SkillFiles::install("old", folder);
    SkillFiles::install("# Quorvane\n", folder);
    EXPECT_EQ(readFile(home.file(".agents/skills/quorvane/SKILL.md")), "# Quorvane\n");
    EXPECT_EQ(modeOf(home.file(".agents/skills/quorvane/SKILL.md")), 0644u);
    EXPECT_EQ(SkillFiles::installedContents(folder), "# Quorvane\n");

    test::writeFile(SkillPaths::skillFile(folder), "\xff\xfe not text");
    EXPECT_EQ(SkillFiles::installedContents(folder), std::nullopt);
}

TEST(SkillFiles, UninstallRemovesTheDirectoryOnlyWhenNothingElseIsInIt)
{
    struct Case {
        const char* name;
        bool withSkill;
        bool withDirectory;
        bool withNeighbour;
        SkillUninstallResult expected;
    };
    const std::vector<Case> cases = {
        { "skill alone", true, true, false, { true, true } },
        { "skill beside another file", true, true, true, { true, false } },
        { "empty skill directory", false, true, false, { false, true } },
        { "nothing there", false, false, false, { false, false } },
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
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
}

TEST(SkillFiles, ALinkedSkillFileIsWrittenThroughAndRemovedWithoutItsTarget)
{
    TemporaryFolder home;
    fs::create_directories(home.file("dotfiles"));
    fs::create_directories(home.file("skills/quorvane"));
    test::writeFile(home.file("dotfiles/SKILL.md"), "old");
    fs::create_symlink("../../dotfiles/SKILL.md", home.file("skills/quorvane/SKILL.md"));

    SkillFiles::install("new", home.file("skills"));
    EXPECT_TRUE(fs::is_symlink(home.file("skills/quorvane/SKILL.md")));
    EXPECT_EQ(readFile(home.file("dotfiles/SKILL.md")), "new");
    EXPECT_EQ(SkillFiles::installedContents(home.file("skills")), "new");

    EXPECT_EQ(SkillFiles::uninstall(home.file("skills")), (SkillUninstallResult { true, true }));
    EXPECT_EQ(readFile(home.file("dotfiles/SKILL.md")), "new");

    // A link whose target is gone is still the skill file.
    fs::create_directories(home.file("skills/quorvane"));
    fs::create_symlink("../../gone/SKILL.md", home.file("skills/quorvane/SKILL.md"));
    EXPECT_EQ(SkillFiles::uninstall(home.file("skills")), (SkillUninstallResult { true, true }));
}

TEST(SkillFiles, RefusesAnEmptyFolderAndLeavesAFolderNamedLikeTheSkill)
{
    EXPECT_THROW(SkillFiles::install("text", ""), QuorvaneError);
    EXPECT_THROW(SkillFiles::uninstall(""), QuorvaneError);

    TemporaryFolder home;
    fs::create_directories(home.file("quorvane/SKILL.md"));
    EXPECT_EQ(SkillFiles::uninstall(home.path()), (SkillUninstallResult { false, false }));
    EXPECT_TRUE(fs::is_directory(home.file("quorvane/SKILL.md")));
    EXPECT_THROW(SkillFiles::install("text", home.path()), std::system_error);
}

} // namespace
} // namespace quorvane
