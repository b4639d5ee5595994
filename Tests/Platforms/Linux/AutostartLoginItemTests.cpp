#include "Platforms/Linux/AutostartLoginItem.h"

#include "Configuration/DesktopEntryEscaping.h"

#include "TestSupport/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const std::string executable = "/opt/Quorvane Tools/bin/quorvane-app";

class AutostartLoginItemTest : public ::testing::Test {
protected:
    std::string entry() const { return item.entryPath(); }
    ino_t inode() const
    {
        struct stat status { };
        return ::stat(entry().c_str(), &status) == 0 ? status.st_ino : 0;
    }

    test::TemporaryFolder home;
    std::vector<std::string> logged;
    AutostartLoginItem item { home.file("config/autostart"), executable,
        [this](const std::string& line) { logged.push_back(line); } };
};

// What desktop-file-validate says of the file at `path`: empty when the entry is valid.
std::string validatorComplaints(const std::string& path)
{
    std::string command = "desktop-file-validate '" + path + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, count);
        if (::pclose(pipe) != 0 && output.empty())
            output = "desktop-file-validate failed";
    }
    return output;
}

TEST_F(AutostartLoginItemTest, TheSettingWritesAndRemovesTheEntry)
{
    item.setEnabled(true);
    ASSERT_TRUE(fs::is_regular_file(entry()));
    EXPECT_EQ(readFile(entry()), AutostartLoginItem::entryText(executable));
    EXPECT_EQ(fs::status(entry()).permissions(), fs::perms(0644));
    // The same setting again leaves the file as it is.
    ino_t written = inode();
    item.setEnabled(true);
    EXPECT_EQ(inode(), written);

    item.setEnabled(false);
    EXPECT_FALSE(fs::exists(entry()));
    item.setEnabled(false);
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_TRUE(logged.empty());
}

TEST_F(AutostartLoginItemTest, OnlyEntriesQuorvaneWroteAreReplacedOrRemoved)
{
    struct Case {
        const char* name;
        std::string text;
        bool ours;
    };
    const Case cases[] = {
        { "a person's own", "[Desktop Entry]\nType=Application\nName=Mine\nExec=quorvane-app --my-flag\n", false },
        { "marked off", "[Desktop Entry]\nExec=x\nX-Quorvane-Autostart=false\n", false },
        { "marked in another group", "[Desktop Entry]\nExec=x\n[Extra]\nX-Quorvane-Autostart=true\n", false },
        { "an older one of ours", "[Desktop Entry]\nExec=/old/quorvane-app\nX-Quorvane-Autostart=true\n", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_directories(home.file("config/autostart"));
        writeFile(entry(), c.text);
        item.setEnabled(true);
        EXPECT_EQ(readFile(entry()), c.ours ? AutostartLoginItem::entryText(executable) : c.text);
        writeFile(entry(), c.text);
        item.setEnabled(false);
        EXPECT_EQ(fs::exists(entry()), !c.ours);
    }
    // Something that is no file at all is not ours either.
    fs::remove(entry());
    fs::create_directories(entry());
    item.setEnabled(false);
    item.setEnabled(true);
    EXPECT_TRUE(fs::is_directory(entry()));
    // Only turning the setting on says why it does nothing: once for each entry that is not ours.
    const std::string kept = "launch_at_login is on, but " + entry() + " is not Quorvane's, so it was left as it was.";
    EXPECT_EQ(logged, std::vector<std::string>(4, kept));
}

TEST_F(AutostartLoginItemTest, FailuresAreLoggedNotThrown)
{
    writeFile(home.file("config"), "a file where the config folder should be");
    item.setEnabled(true);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(logged[0].starts_with("Quorvane could not change its login item " + entry())) << logged[0];

    AutostartLoginItem relative(
        home.file("autostart"), "quorvane-app", [this](const std::string& line) { logged.push_back(line); });
    relative.setEnabled(true);
    EXPECT_EQ(logged.size(), 2u);
    EXPECT_FALSE(fs::exists(relative.entryPath()));
}

TEST(AutostartEntry, ExecQuotesEveryPathAsOneArgument)
{
    const std::pair<std::string, std::string> cases[] = {
        { "/usr/bin/quorvane-app", R"("/usr/bin/quorvane-app")" },
        { "/opt/My Apps/quorvane-app", R"("/opt/My Apps/quorvane-app")" },
        { R"(/a"b)", R"("/a\\"b")" },
        { "/a$b`c", R"("/a\\$b\\`c")" },
        { R"(/a\b)", R"("/a\\\\b")" },
        { "/100%/app", R"("/100%%/app")" },
        { "/a\tb", R"("/a\tb")" },
    };
    for (const auto& [path, argument] : cases)
        EXPECT_EQ(DesktopEntryEscaping::execArgument(path), argument) << path;
    for (std::string path : { "quorvane-app", "", "/bad\x01name", "/not\xffutf8" })
        EXPECT_THROW(AutostartLoginItem::entryText(path), std::system_error) << path;
}

TEST(AutostartEntry, TheValidatorAcceptsEntriesForAwkwardPaths)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    test::TemporaryFolder folder;
    for (std::string path : { "/usr/bin/quorvane-app", "/opt/My Apps/quorvane-app", "/a\"b$c`d\\e%f/quorvane-app" }) {
        std::string file = folder.file("quorvane.desktop");
        writeFile(file, AutostartLoginItem::entryText(path));
        EXPECT_EQ(validatorComplaints(file), "") << path;
    }
}

} // namespace
} // namespace quorvane
