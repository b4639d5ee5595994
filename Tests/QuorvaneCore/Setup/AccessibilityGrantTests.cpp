#include "Setup/AccessibilityGrant.h"
#include "Setup/AccessibilityGrantDisk.h"
#include "Setup/SettingsPresence.h"
#include "Setup/SetupSettingsSession.h"

#include "TestSupport/TemporaryFolder.h"

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
    std::string path = AccessibilityGrantDisk::file(folder.file(".local/share/quorvane"));
    EXPECT_EQ(AccessibilityGrantDisk::load(path), std::nullopt);
    AccessibilityGrantDisk::save("1207", path);
    EXPECT_EQ(test::readFile(path), "1207\n");
    struct stat info { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);

    // Blank, not UTF-8 or not a file: no recorded build.
    const std::pair<const char*, std::optional<std::string>> cases[]
        = { { "  1.0.1 \r\n\n", "1.0.1" }, { " \n\t\n", std::nullopt }, { "\xff\xfe", std::nullopt } };
    for (const auto& [contents, expected] : cases) {
        test::writeFile(path, contents);
        EXPECT_EQ(AccessibilityGrantDisk::load(path), expected) << '"' << contents << '"';
    }
    EXPECT_EQ(AccessibilityGrantDisk::load(folder.path()), std::nullopt);
}

} // namespace
} // namespace quorvane
