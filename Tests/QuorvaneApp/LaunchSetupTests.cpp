#include "KeysTesting.h"

#include "QuorvaneApp/Model/MachineName.h"
#include "QuorvaneApp/Setup/CLILink.h"

#include <filesystem>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// A file system root of its own: the command beside the application, and the two link places.
class CLILinkTest : public testing::Test {
public:
    test::TemporaryFolder root;
    std::string command = root.file("opt/quorvane/quorvane");
    std::string system = root.file("usr/local/bin/quorvane");
    std::string user = root.file("home/a/.local/bin/quorvane");

    CLILinkTest()
    {
        fs::create_directories(fs::path(command).parent_path());
        writeFile(command, "#!/bin/sh\n");
        fs::permissions(command, fs::perms(0755));
    }

    std::string install() { return CLILink::install({ command }, { system, user }).message; }

    bool linksToCommand(const std::string& path) { return fs::is_symlink(path) && fs::read_symlink(path) == command; }

    void makeSystemFolder() { fs::create_directories(fs::path(system).parent_path()); }
};

TEST_F(CLILinkTest, ALinkIsReplacedAndAnythingElseIsKept)
{
    struct Case {
        const char* name;
        std::function<void(CLILinkTest&)> prepare;
        bool linkedAtSystem;
        const char* keptAtSystem; // what the first place still holds, when it is a file of its own
    };
    const Case cases[] = {
        { "nothing there, no folder yet", [](auto&) {}, true, nullptr },
        { "a dangling link",
            [](auto& t) {
                t.makeSystemFolder();
                fs::create_symlink(t.root.file("gone"), t.system);
            },
            true, nullptr },
        { "a link to another program",
            [](auto& t) {
                t.makeSystemFolder();
                writeFile(t.root.file("other"), "another program");
                fs::create_symlink(t.root.file("other"), t.system);
            },
            true, nullptr },
        { "someone's own script",
            [](auto& t) {
                t.makeSystemFolder();
                writeFile(t.system, "#!/bin/sh\necho mine\n");
            },
            false, "#!/bin/sh\necho mine\n" },
        { "a folder",
            [](auto& t) {
                fs::create_directories(t.system);
                writeFile(t.system + "/keep", "mine");
            },
            false, nullptr },
        { "a first folder that cannot be made",
            [](auto& t) {
                fs::create_directories(t.root.file("usr/local"));
                writeFile(t.root.file("usr/local/bin"), "a file where the folder belongs");
            },
            false, nullptr },
    };
    for (const Case& c : cases) {
        fs::remove_all(root.file("usr"));
        fs::remove_all(root.file("home"));
        c.prepare(*this);
        std::string linked = c.linkedAtSystem ? system : user;
        std::string expected = "Linked quorvane at " + linked;
        if (c.keptAtSystem)
            expected += ". " + system + " is another file, left as it was.";
        EXPECT_EQ(install(), expected) << c.name;
        if (c.keptAtSystem) {
            EXPECT_EQ(readFile(system), c.keptAtSystem) << c.name;
        }
        EXPECT_TRUE(linksToCommand(linked)) << c.name;
        if (!c.linkedAtSystem && fs::is_directory(system)) {
            EXPECT_EQ(readFile(system + "/keep"), "mine") << c.name;
        }
    }
}

// Installed into /usr/local or ~/.local, the command already stands at a place it would be linked at.
TEST_F(CLILinkTest, ACommandAlreadyAtThePlaceIsLeftAsItIs)
{
    for (const std::string& place : { system, user }) {
        fs::remove_all(root.file("usr"));
        fs::remove_all(root.file("home"));
        fs::create_directories(fs::path(place).parent_path());
        writeFile(place, "#!/bin/sh\n");
        fs::permissions(place, fs::perms(0755));
        CLILink::Outcome outcome = CLILink::install({ place }, { place });
        EXPECT_TRUE(outcome.linked) << place;
        EXPECT_EQ(outcome.message, "quorvane is already at " + place + ".");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(place))) << place;
        EXPECT_EQ(readFile(place), "#!/bin/sh\n");
    }
}

TEST_F(CLILinkTest, WithoutACommandOrAnyPlaceItSaysSo)
{
    fs::permissions(command, fs::perms(0644));
    EXPECT_EQ(install(), "The quorvane command is not in this build.");
    EXPECT_EQ(
        CLILink::install({ root.file("missing") }, { system }).message, "The quorvane command is not in this build.");
    fs::permissions(command, fs::perms(0755));
    fs::create_directories(system);
    fs::create_directories(user);
    EXPECT_FALSE(CLILink::install({ command }, { system, user }).linked);
    EXPECT_EQ(install(), "Could not link quorvane. Copy the command into a directory on your PATH.");
    fs::remove_all(user);
    fs::create_directories(fs::path(user).parent_path());
    writeFile(user, "mine");
    EXPECT_EQ(install(),
        "Could not link quorvane. " + user
            + " is another file, left as it was. Copy the command into a directory on your PATH.");
}

TEST_F(CLILinkTest, TheCommandIsFoundOnThePathAsAShellFindsIt)
{
    std::string folder = fs::path(command).parent_path().string();
    fs::create_directories(root.file("empty"));
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        { folder, command },
        { folder + "/", folder + "/quorvane" },
        { root.file("empty") + ":" + folder, command },
        { "::" + root.file("empty"), std::nullopt },
        // A relative folder depends on where the shell stands, so it never counts.
        { "opt/quorvane", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& [path, found] : cases)
        EXPECT_EQ(CLILink::onPath(path), found) << path;
    fs::permissions(command, fs::perms(0644));
    EXPECT_EQ(CLILink::onPath(folder), std::nullopt);
}

TEST(MachineName, ThePrettyHostNameIsReadAsAShellValue)
{
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        { "PRETTY_HOSTNAME=Studio\n", "Studio" },
        { "ICON_NAME=computer-laptop\nPRETTY_HOSTNAME=\"Ana's Laptop\"\nCHASSIS=laptop\n", "Ana's Laptop" },
        { "PRETTY_HOSTNAME='Büro \"2\"'", "Büro \"2\"" },
        { "PRETTY_HOSTNAME=\"Say \\\"hi\\\"\"\n", "Say \"hi\"" },
        { "# PRETTY_HOSTNAME=Old\nPRETTY_HOSTNAME=New\n", "New" },
        { "PRETTY_HOSTNAME=\"  \"\n", std::nullopt },
        { "PRETTY_HOSTNAME=\n", std::nullopt },
        { "CHASSIS=desktop\n", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& [text, name] : cases)
        EXPECT_EQ(MachineName::prettyHostName(text), name) << text;
}

TEST(MachineName, WithoutAMachineInfoFileItIsTheHostName)
{
    test::TemporaryFolder folder;
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(MachineName::current(folder.file("machine-info")), host);
    writeFile(folder.file("machine-info"), "PRETTY_HOSTNAME=\"Studio\"\n");
    EXPECT_EQ(MachineName::current(folder.file("machine-info")), "Studio");
}

using AccessibilityAtLaunch = test::KeysTest;

TEST_F(AccessibilityAtLaunch, ANewBuildWithoutThePermissionAsksAgain)
{
    struct Case {
        const char* name;
        bool onboardingComplete;
        bool trusted;
        std::optional<std::string> recorded;
        std::optional<int> step;
        std::optional<std::string> recordedAfter;
    };
    const Case cases[] = {
        { "trusted, same build", true, true, "1.0.1", std::nullopt, "1.0.1" },
        { "trusted, older build recorded", true, true, "0.9", std::nullopt, "1.0.1" },
        { "not trusted, older build recorded", true, false, "0.9", 1, "0.9" },
        { "not trusted, nothing recorded", true, false, std::nullopt, 1, std::nullopt },
        { "not trusted, onboarding not complete", false, false, "0.9", 0, "0.9" },
    };
    std::string grant = paths().accessibilityGrantFile();
    for (const Case& c : cases) {
        model.reset();
        fs::remove_all(fs::path(grant).parent_path());
        if (c.recorded) {
            fs::create_directories(fs::path(grant).parent_path());
            writeFile(grant, *c.recorded + "\n");
        }
        desktop.permissions.setWindowControl(c.trusted);
        startWith(test::configText({ { "onboarding_complete", c.onboardingComplete ? "true" : "false" } }));
        model->finishLaunch();
        EXPECT_EQ(model->onboardingStep(), c.step) << c.name;
        std::optional<std::string> after = fs::exists(grant) ? std::optional(readFile(grant)) : std::nullopt;
        EXPECT_EQ(after, c.recordedAfter ? std::optional(*c.recordedAfter + "\n") : std::nullopt) << c.name;
    }
}

} // namespace
} // namespace quorvane
