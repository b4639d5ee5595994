#include "Setup/AccessibilityGrant.h"
#include "Setup/AccessibilityGrantDisk.h"
#include "Setup/SettingsPresence.h"
#include "Setup/SetupSettingsSession.h"

#include "TestSupport/TemporaryFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quorvane {
namespace {

using test::TemporaryFolder;

TEST(AccessibilityGrant, ShouldAskAgain)
{
    struct {
        bool onboardingComplete;
        bool trusted;
        std::optional<std::string> lastGranted;
        bool asks;
    } cases[] = {
        { false, false, std::nullopt, false },
        { false, true, "11", false },
        { true, true, "12", false },
        { true, true, "11", false },
        // Not trusted after onboarding: ask unless this very build was granted (the user revoked it).
        { true, false, std::nullopt, true },
        { true, false, "11", true },
        { true, false, "12", false },
    };
    for (const auto& [complete, trusted, lastGranted, asks] : cases) {
        EXPECT_EQ(AccessibilityGrant::shouldAskAgain(complete, trusted, "12", lastGranted), asks)
            << complete << trusted << lastGranted.value_or("none");
    }
}

TEST(AccessibilityGrant, RemembersANewTrustedBuild)
{
    EXPECT_TRUE(AccessibilityGrant::shouldRemember(true, "12", std::nullopt));
    EXPECT_TRUE(AccessibilityGrant::shouldRemember(true, "12", "11"));
    EXPECT_FALSE(AccessibilityGrant::shouldRemember(true, "12", "12"));
    EXPECT_FALSE(AccessibilityGrant::shouldRemember(false, "12", "11"));
    EXPECT_EQ(AccessibilityGrant::currentBuild(""), "1.0.1");
}

TEST(AccessibilityGrant, SettingsSessionClosesOnlyWhatItOpened)
{
    using enum SettingsPresence;
    const std::pair<std::vector<SettingsPresence>, bool> cases[]
        = { { { visible }, false }, { { unknown }, false }, { { absent }, true }, { { absent, visible }, true } };
    for (const auto& [clicks, closes] : cases) {
        SetupSettingsSession session;
        for (SettingsPresence presence : clicks)
            session.noteButtonClick(presence);
        EXPECT_EQ(session.closesSystemSettingsOnGrant(), closes) << clicks.size();
    }
}

TEST(AccessibilityGrantDisk, SavesOneLineAndLoadsItTrimmed)
{
    TemporaryFolder folder;
    std::string path = AccessibilityGrantDisk::file(folder.file("Application Support/Quorvane"));
    EXPECT_EQ(path, folder.file("Application Support/Quorvane/accessibility-grant.txt"));
    EXPECT_EQ(AccessibilityGrantDisk::load(path), std::nullopt);

    AccessibilityGrantDisk::save("1207", path);
    EXPECT_EQ(test::readFile(path), "1207\n");
    struct stat info { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(AccessibilityGrantDisk::load(path), "1207");
}

TEST(AccessibilityGrantDisk, UnusableFilesRecordNoBuild)
{
    TemporaryFolder folder;
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        { "", std::nullopt },
        { " \n\t\n", std::nullopt },
        { "\xff\xfe", std::nullopt },
        { "  1.0.1 \r\n\n", "1.0.1" },
    };
    for (const auto& [contents, expected] : cases) {
        test::writeFile(folder.file("grant.txt"), contents);
        EXPECT_EQ(AccessibilityGrantDisk::load(folder.file("grant.txt")), expected) << '"' << contents << '"';
    }
    EXPECT_EQ(AccessibilityGrantDisk::load(folder.path()), std::nullopt);
}

} // namespace
} // namespace quorvane
