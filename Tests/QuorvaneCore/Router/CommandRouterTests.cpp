#include "Router/CommandRouter.h"

#include "Command/CommandOutput.h"
#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Router/CommandContext.h"
#include "Router/DoctorCheck.h"
#include "Router/QuorvaneControlling.h"
#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"
#include "Tiling/TileSlot.h"
#include "WebApps/DesktopEntryWriter.h"
#include "WebApps/ICNSWriter.h"
#include "WebApps/WebAppBundlePlan.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

// Records what the router asked of the running application; can be told to fail.
class FakeController : public QuorvaneControlling {
public:
    void snap(const std::string& bundleIdentifier, TileSlot slot, std::optional<int64_t> display) override
    {
        record("snap " + bundleIdentifier + " " + std::string(toString(slot)) + " "
            + (display ? std::to_string(*display) : "-"));
    }
    Layout captureLayout(const std::string& name) override
    {
        record("capture " + name);
        return { name, { { "com.apple.Safari", "left-half" }, { "mail", "right-half" } } };
    }
    void applyLayout(const std::string& name) override { record("apply " + name); }
    std::vector<DoctorCheck> permissionChecks() override
    {
        return { { "accessibility", DoctorCheck::Status::pass, "Quorvane can move windows." } };
    }
    std::string macName() override { return "test"; }

    void record(std::string call)
    {
        if (failure)
            failure();
        calls.push_back(std::move(call));
    }
    std::vector<std::string> calls;
    std::function<void()> failure;
};

class CommandRouterTest : public ::testing::Test {
protected:
    CommandOutput run(const Words& words)
    {
        CommandContext context;
        context.paths = QuorvanePaths { home.path() };
        context.hostBinary = hostBinary;
        context.skillText = "skill text\n";
        context.manifestFolders = { "~/.agents/skills", "~/missing/skills" };
        context.controller = live ? &controller : nullptr;
        context.configCheck = configCheck;
        context.updateFeed = updateFeed;
        if (!applicationIds.empty())
            context.isApplicationId = [this](const std::string& word) { return applicationIds.contains(word); };
        context.interactive = interactive;
        context.confirm = [this](const std::string& prompt) {
            prompts.push_back(prompt);
            return answer;
        };
        // No test depends on which system tools happen to be installed.
        context.runTool = [this](const std::vector<std::string>& command) { tools.push_back(command); };
        Invocation invocation = CommandParser::parse(words);
        return readOnly ? CommandRouter::runReadOnly(invocation, file, context)
                        : CommandRouter::run(invocation, file, context);
    }

    // Without `payload`, a success whose payload only echoes the command's words.
    void expectOutput(const Words& words, int32_t exitCode, const std::string& message,
        const std::optional<std::string>& payload = std::nullopt)
    {
        SCOPED_TRACE(::testing::PrintToString(words));
        CommandOutput output = run(words);
        EXPECT_EQ(output.exitCode, exitCode);
        EXPECT_EQ(output.message, message);
        if (payload) {
            EXPECT_EQ(output.payload.canonicalString(), *payload);
        }
    }

    void expectError(const Words& words, int32_t exitCode, const std::string& code, const std::string& message)
    {
        std::string before = file.text();
        expectOutput(words, exitCode, message, "{\"code\":\"" + code + "\"}");
        EXPECT_EQ(file.text(), before) << "a failed command changed the file";
    }

    void expectInFile(const std::string& text) { EXPECT_NE(file.text().find(text), std::string::npos) << file.text(); }

    // The default file with `extra` appended.
    void useConfig(const std::string& extra) { file = ConfigFile(file.text() + extra); }

    std::string appsFolder() const { return home.path() + "/.local/share/quorvane/apps"; }
    // Beside the apps folder, where a name with "../" would reach.
    std::string besideApps(const std::string& name) const { return home.path() + "/.local/share/quorvane/" + name; }

    test::TemporaryFolder home;
    ConfigFile file = ConfigFile::makeDefault();
    FakeController controller;
    bool live = false;
    // Runs through the entry for commands that cannot change the file.
    bool readOnly = false;
    std::optional<DoctorCheck> configCheck;
    std::optional<std::string> updateFeed;
    bool interactive = false;
    std::optional<std::string> hostBinary;
    bool answer = false;
    // Dotless words the desktop knows as application identifiers.
    std::set<std::string> applicationIds;
    std::vector<std::string> prompts;
    std::vector<Words> tools;
};

const std::string mailApp = "\n[apps.mail]\nurl = \"https://mail.example.com\"\nname = \"Mail\"\n"
                            "bundle_id = \"app.quorvane.web.mail\"\n";

TEST_F(CommandRouterTest, DestructiveCommandsNeedConfirmation)
{
    useConfig(mailApp);
    expectError({ "app", "remove", "Mail" }, 7, "cancelled", "Pass --yes to confirm.");
    EXPECT_TRUE(prompts.empty()) << "nobody is asked when no person is at the terminal";

    interactive = true;
    expectError({ "rule", "remove", "Mail" }, 7, "cancelled", "Pass --yes to confirm.");
    EXPECT_EQ(prompts, Words { "This removes something. Continue?" });

    answer = true;
    expectOutput({ "rule", "remove", "Mail" }, 0, "Removed the rule for Mail.");
}

TEST_F(CommandRouterTest, LiveCommandsNeedTheApplicationBeforeAnythingElse)
{
    expectError({ "ping" }, 3, "unavailable", "Quorvane is not running.");
    expectError({ "tile", "Safari", "nowhere" }, 3, "unavailable", "Open Quorvane to move windows.");
    expectError({ "layout", "save", "work" }, 3, "unavailable", "Open Quorvane to save the current layout.");
    expectError({ "layout", "apply", "nothing" }, 3, "unavailable", "Open Quorvane to apply a layout.");
}

TEST_F(CommandRouterTest, LiveCommandsReachTheController)
{
    useConfig(mailApp);
    live = true;
    expectOutput({ "ping" }, 0, "ok", "{\"pong\":true}");
    expectOutput({ "tile", "mail", "left-half", "--display", "2" }, 0, "Tiled mail to left-half.");
    expectOutput({ "tile", "com.apple.Safari", " Fill " }, 0, "Tiled com.apple.Safari to fill.",
        "{\"target\":\"com.apple.Safari\",\"tile\":\"fill\"}");
    expectError({ "tile", "Safari", "middle" }, 1, "usage", "Unknown tile middle.");
    expectError({ "tile", "Safari", "fill" }, 5, "not_found", "No app named Safari.");
    expectOutput({ "layout", "save", "work" }, 0, "Saved layout work.");
    expectOutput({ "layout", "apply", "work" }, 0, "Applied work.");
    expectError({ "layout", "apply", "Work" }, 5, "not_found", "No layout named Work.");
    // Listed one a line and typed back to apply, a name holds neither line breaks nor nothing at all.
    for (const char* name : { "", "  ", "new\nline", "tab\there" })
        expectError(
            { "layout", "save", name }, 1, "usage", "A layout name cannot be blank or hold a control character.");
    EXPECT_EQ(controller.calls,
        Words({ "snap app.quorvane.web.mail left-half 2", "snap com.apple.Safari fill -", "capture work",
            "apply work" }));
}

TEST_F(CommandRouterTest, ControllerFailuresBecomeOutputs)
{
    live = true;
    controller.failure = [] { throw QuorvaneError::notFound("No window of Safari is open."); };
    expectError({ "tile", "com.apple.Safari", "fill" }, 5, "not_found", "No window of Safari is open.");
    controller.failure = [] { throw std::runtime_error("The window server went away."); };
    expectOutput({ "layout", "save", "x" }, 8, "The window server went away.", "{\"code\":\"failed\"}");
}

TEST_F(CommandRouterTest, AddingAWebApp)
{
    expectOutput({ "app", "add", " https://mail.example.com/inbox ", "--hotkey", "cmd+opt+m", "--tile", "Left-Half" },
        0, "Added mail.example.com\n  " + appsFolder() + "/mail.example.com.app",
        "{\"bundleIdentifier\":\"app.quorvane.web.mail-example-com\",\"hotkey\":\"opt+cmd+m\",\"name\":"
        "\"mail.example.com\",\"slug\":\"mail-example-com\",\"tile\":\"left-half\",\"url\":"
        "\"https://mail.example.com/inbox\"}");
    EXPECT_TRUE(fs::exists(appsFolder() + "/mail.example.com.app/Contents/Resources/AppIcon.icns"));

    expectError(
        { "app", "add", "http://mail.example.com" }, 6, "conflict", "An app named mail.example.com already exists.");
    // Different slugs, one name ignoring case: both would land in one bundle folder on a case-insensitive disk.
    ASSERT_EQ(run({ "app", "add", "https://a.example", "--name", "Stra\u00DFe" }).exitCode, 0);
    expectError({ "app", "add", "https://b.example", "--name", "STRASSE" }, 6, "conflict",
        "An app named STRASSE already exists.");
    // One name in two Unicode forms, precomposed and decomposed, is one folder on a normalising disk.
    ASSERT_EQ(run({ "app", "add", "https://d.example", "--name", "Caf\u00E9" }).exitCode, 0);
    for (const char* name : { "Cafe\u0301", "CAFE\u0301", "caf\u00C9" })
        expectError({ "app", "add", "https://e.example", "--name", name }, 6, "conflict",
            "An app named " + std::string(name) + " already exists.");
    expectError({ "app", "add", "https://c.example", "--name", "Other", "--hotkey", "opt+cmd+m" }, 6, "conflict",
        "opt+cmd+m is already used.");
    expectError({ "app", "add", "ftp://c.example" }, 1, "usage",
        "\u201Cftp://c.example\u201D needs to be an http or https address.");
    expectError({ "app", "add", "https://c.example", "--name", "../Slack" }, 1, "usage",
        "A web app name cannot contain / or a control character, or start with a dot.");
    EXPECT_FALSE(fs::exists(besideApps("Slack.app")));
    // The bundle folder's name must fit in one file name, ".app" included.
    expectError({ "app", "add", "https://c.example", "--name", std::string(252, 'n') }, 1, "usage",
        "A web app name can be at most 251 bytes long.");
    EXPECT_EQ(run({ "app", "add", "https://c.example", "--name", std::string(251, 'n') }).exitCode, 0);
    // An address in another script is stored in its network form and named by its host as people write it.
    expectOutput({ "app", "add", "https://b\u00FCcher.de/" }, 0,
        "Added b\u00FCcher.de\n  " + appsFolder() + "/b\u00FCcher.de.app");
    EXPECT_EQ(file.decode().apps.back().spec.url, "https://xn--bcher-kva.de/");
}

TEST_F(CommandRouterTest, BundlesWithAHostAreSignedAndRegisteredThroughTheContextWhereTheSystemCan)
{
    ASSERT_EQ(run({ "app", "add", "https://a.example", "--name", "A" }).exitCode, 0);
    EXPECT_TRUE(tools.empty()) << "a bundle without a host is neither signed nor registered";
    hostBinary = home.file("QuorvaneWebHost");
    test::writeFile(*hostBinary, "host");
    ASSERT_EQ(run({ "app", "add", "https://b.example", "--name", "B" }).exitCode, 0);
    ASSERT_TRUE(fs::exists(appsFolder() + "/B.app/Contents/MacOS/QuorvaneWebHost"));
    if (!WebBundleWriter::systemSignsBundles()) {
        // Neither after the add nor when apply gives the host to the bundle without one.
        ASSERT_EQ(run({ "apply" }).exitCode, 0);
        ASSERT_TRUE(fs::exists(appsFolder() + "/A.app/Contents/MacOS/QuorvaneWebHost"));
        EXPECT_TRUE(tools.empty()) << tools.front().front();
        return;
    }
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_EQ(tools[0].front(), "/usr/bin/codesign");
    EXPECT_TRUE(tools[1].front().ends_with("/lsregister"));
    EXPECT_EQ(tools[1].back(), appsFolder() + "/B.app");
}

// The bundle keeps its icon file; the desktop's icon is the image as it was read.
TEST_F(CommandRouterTest, AnAddedAppsDesktopIconIsTheImageItself)
{
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x40\0\0\0\x40rest", 28);
    test::writeFile(home.file("icon.png"), png);
    ASSERT_EQ(run({ "app", "add", "https://x.example", "--name", "X", "--icon", home.file("icon.png") }).exitCode, 0);
    EXPECT_EQ(test::readFile(appsFolder() + "/X.app/Contents/Resources/AppIcon.icns"), ICNSWriter::wrappingPNG(png));
    EXPECT_EQ(
        test::readFile(DesktopEntryWriter(QuorvanePaths { home.path() }).iconPath(bundleIdentifier("x"), 64)), png);
}

TEST_F(CommandRouterTest, AnIconFileIsWrappedWhenItIsAPNG)
{
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + "rest";
    test::writeFile(home.file("icon.png"), png);
    ASSERT_EQ(run({ "app", "add", "https://x.example", "--name", "X", "--icon", home.file("icon.png") }).exitCode, 0);
    std::string icns = test::readFile(appsFolder() + "/X.app/Contents/Resources/AppIcon.icns");
    EXPECT_TRUE(icns.starts_with("icns"));
    EXPECT_NE(icns.find(png), std::string::npos);
    EXPECT_EQ(run({ "app", "add", "https://y.example", "--name", "Y", "--icon", home.file("none.png") }).exitCode, 8);
    EXPECT_EQ(file.decode().apps.size(), 1u) << "a failed icon read adds no record";

    // Only regular files of at most 5 MiB are icons; a FIFO or a device would never end.
    test::writeFile(home.file("huge.png"), std::string(5 * 1024 * 1024 + 1, 'x'));
    expectError({ "app", "add", "https://y.example", "--name", "Y", "--icon", home.file("huge.png") }, 1, "usage",
        home.file("huge.png") + " is larger than 5 MiB, more than Quorvane reads.");
    expectError({ "app", "add", "https://y.example", "--name", "Y", "--icon", "/dev/zero" }, 1, "usage",
        "Quorvane reads only regular files, and /dev/zero is not one.");
    // Images of other kinds would quietly become the fallback artwork.
    for (const std::string& image : { std::string("\xff\xd8\xff\xe0JFIF"), std::string("<svg/>"), std::string() }) {
        test::writeFile(home.file("other"), image);
        expectError({ "app", "add", "https://y.example", "--name", "Y", "--icon", home.file("other") }, 1, "usage",
            home.file("other") + " is not a PNG image or an .icns icon file.");
    }
}

TEST_F(CommandRouterTest, RemovingAWebApp)
{
    ASSERT_EQ(run({ "app", "add", "https://mail.example.com", "--name", "Mail" }).exitCode, 0);
    ASSERT_TRUE(fs::exists(appsFolder() + "/Mail.app"));
    expectOutput({ "app", "remove", "MAIL", "--yes" }, 0, "Removed Mail.", "{\"slug\":\"mail\"}");
    EXPECT_FALSE(fs::exists(appsFolder() + "/Mail.app"));
    expectError({ "app", "remove", "Mail", "--yes" }, 5, "not_found", "No web app named Mail.");
    expectError({ "app", "remove", "com.apple.Safari", "--yes" }, 5, "not_found", "No web app named com.apple.Safari.");

    // Its rules and chords go with it; another app's stay.
    ASSERT_EQ(run({ "app", "add", "https://mail.example.com", "--name", "Mail" }).exitCode, 0);
    ASSERT_EQ(run({ "rule", "add", "Mail", "--tile", "fill", "--title", "Inbox" }).exitCode, 0);
    ASSERT_EQ(run({ "rule", "add", "com.example.editor", "--tile", "fill" }).exitCode, 0);
    useConfig("\n[hotkeys]\n\"ctrl+opt+m\" = \"app.quorvane.web.mail\"\n\"ctrl+opt+e\" = "
              "\"com.example.editor\"\n");
    ASSERT_EQ(run({ "app", "remove", "Mail", "--yes" }).exitCode, 0);
    QuorvaneConfig left = file.decode();
    ASSERT_EQ(left.rules.size(), 1u);
    EXPECT_EQ(left.rules[0].bundleIdentifier, "com.example.editor");
    EXPECT_EQ(left.hotkeys, (std::vector<NativeHotkey> { { "ctrl+opt+e", "com.example.editor" } }));
}

// Records whose name can never be a bundle's (hand-edited, or too long for a file name) can still be
// removed, and never stop `apply` from re-creating the others.
TEST_F(CommandRouterTest, RecordsWithoutAPossibleBundleAreRemovedAndSkippedByApply)
{
    fs::create_directories(besideApps("victim.app"));
    std::string longName(252, 'n');
    useConfig("\n[apps.victim]\nurl = \"https://v.example\"\nname = \"../victim\"\n"
              "\n[apps.long]\nurl = \"https://l.example\"\nname = \""
        + longName + "\"\n" + mailApp);
    CommandOutput applied = run({ "apply" });
    EXPECT_EQ(applied.exitCode, 8);
    EXPECT_EQ(applied.message.substr(0, applied.message.find('\n')),
        "Could not re-create ../victim: A web app name cannot contain / or a control character, or start with a "
        "dot.");
    EXPECT_NE(applied.message.find("\nCould not re-create " + longName + ": "), std::string::npos) << applied.message;
    EXPECT_TRUE(fs::exists(appsFolder() + "/Mail.app/Contents/Info.plist")) << "later web apps are still re-created";
    EXPECT_FALSE(fs::exists(besideApps("victim.app/Contents")));

    expectOutput({ "app", "remove", "victim", "--yes" }, 0,
        "Removed ../victim from config.toml. Its name cannot be a bundle's, so nothing on disk was touched.");
    EXPECT_TRUE(fs::exists(besideApps("victim.app")));
    expectOutput({ "app", "remove", longName, "--yes" }, 0, "Removed " + longName + ".");
    EXPECT_EQ(file.decode().apps.size(), 1u);
    expectOutput({ "apply" }, 0, "Applied config.toml.");
}

TEST_F(CommandRouterTest, ApplyRecreatesMissingBundlesOnly)
{
    useConfig(mailApp);
    expectOutput({ "apply" }, 0, "Applied config.toml.");
    EXPECT_TRUE(fs::exists(appsFolder() + "/Mail.app/Contents/Info.plist"));
    test::writeFile(appsFolder() + "/Mail.app/Contents/Info.plist", "kept");
    EXPECT_EQ(run({ "apply" }).exitCode, 0);
    EXPECT_EQ(test::readFile(appsFolder() + "/Mail.app/Contents/Info.plist"), "kept");
}

TEST_F(CommandRouterTest, WebAppsAreDesktopApplications)
{
    std::string entry = home.file(".local/share/applications/app.quorvane.web.mail.desktop");
    ASSERT_EQ(run({ "app", "add", "https://mail.example.com", "--name", "Mail" }).exitCode, 0);
    EXPECT_NE(test::readFile(entry).find("\nName=Mail\n"), std::string::npos);
    EXPECT_FALSE(fs::is_empty(home.file(".local/share/icons/hicolor"))) << "no icon";

    // A bundle made while no host was shipped, and a lost entry, are both repaired by apply.
    fs::remove(entry);
    test::writeFile(home.file("QuorvaneWebHost"), "host");
    hostBinary = home.file("QuorvaneWebHost");
    EXPECT_EQ(run({ "apply" }).exitCode, 0);
    EXPECT_TRUE(fs::exists(entry));
    EXPECT_EQ(test::readFile(appsFolder() + "/Mail.app/Contents/MacOS/QuorvaneWebHost"), "host");

    ASSERT_EQ(run({ "app", "remove", "Mail", "--yes" }).exitCode, 0);
    EXPECT_FALSE(fs::exists(entry));
    for (const auto& file : fs::recursive_directory_iterator(home.file(".local/share/icons")))
        EXPECT_TRUE(file.is_directory()) << file.path() << " left behind";
}

// A table copied by hand keeps the bundle_id of the app it was copied from.
TEST_F(CommandRouterTest, TwoWebAppsOfOneBundleIdAreReportedAndKeepTheirLauncher)
{
    std::string entry = home.file(".local/share/applications/app.quorvane.web.mail.desktop");
    ASSERT_EQ(run({ "app", "add", "https://mail.example.com", "--name", "Mail" }).exitCode, 0);
    useConfig("\n[apps.mail-work]\nurl = \"https://work.example.com\"\nname = \"Mail Work\"\n"
              "bundle_id = \"app.quorvane.web.mail\"\n");
    CommandOutput doctor = run({ "doctor" });
    EXPECT_EQ(doctor.exitCode, 8);
    EXPECT_NE(
        doctor.message.find("[fail] mail-work: bundle_id app.quorvane.web.mail is already the bundle_id of Mail.\n"),
        std::string::npos)
        << doctor.message;

    ASSERT_EQ(run({ "app", "remove", "Mail Work", "--yes" }).exitCode, 0);
    EXPECT_NE(test::readFile(entry).find("\nName=Mail\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(appsFolder() + "/Mail.app"));
}

// The settings window moves the bundle when it renames an app; a name changed in the file is caught up by apply.
TEST_F(CommandRouterTest, ApplyMovesTheBundleOfAnAppRenamedByHand)
{
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + "site icon";
    test::writeFile(home.file("icon.png"), png);
    ASSERT_EQ(
        run({ "app", "add", "https://mail.example.com", "--name", "Mail", "--icon", home.file("icon.png") }).exitCode,
        0);
    std::string text = file.text();
    text.replace(text.find("name = \"Mail\""), std::string("name = \"Mail\"").size(), "name = \"Post\"");
    file = ConfigFile(text);
    ASSERT_EQ(run({ "apply" }).exitCode, 0);
    EXPECT_FALSE(fs::exists(appsFolder() + "/Mail.app"));
    EXPECT_NE(test::readFile(appsFolder() + "/Post.app/Contents/Resources/AppIcon.icns").find(png), std::string::npos);
    std::string entry = home.file(".local/share/applications/app.quorvane.web.mail.desktop");
    EXPECT_NE(test::readFile(entry).find("\nName=Post\n"), std::string::npos);
    EXPECT_NE(test::readFile(entry).find("Post.app"), std::string::npos);

    // Removed then, nothing of it is left behind.
    ASSERT_EQ(run({ "app", "remove", "Post", "--yes" }).exitCode, 0);
    EXPECT_TRUE(fs::is_empty(appsFolder()));
}

TEST_F(CommandRouterTest, SettingAndRemovingHotkeys)
{
    useConfig(mailApp);
    expectOutput({ "hotkey", "set", "cmd+ctrl+e", "com.example.editor" }, 0, "\u2303\u2318E \u2192 com.example.editor",
        "{\"chord\":\"ctrl+cmd+e\",\"target\":\"com.example.editor\"}");
    expectError({ "hotkey", "set", "ctrl+cmd+e", "Notes" }, 6, "conflict", "ctrl+cmd+e is already used.");
    expectError({ "hotkey", "set", "opt+cmd+x", "Notes" }, 5, "not_found",
        "No app named Notes. Use a web app name or a bundle id such as com.example.editor.");
    // A web app named in another case gets the chord in its own table; setting it again is no conflict.
    EXPECT_EQ(run({ "hotkey", "set", "opt+cmd+m", "MAIL" }).exitCode, 0);
    EXPECT_EQ(run({ "hotkey", "set", "opt+cmd+m", "mail" }).exitCode, 0) << "a chord held by the target itself";
    expectOutput({ "hotkey", "list" }, 0, "opt+cmd+m\tapp.quorvane.web.mail\nctrl+cmd+e\tcom.example.editor",
        "{\"hotkeys\":[{\"bundleIdentifier\":\"app.quorvane.web.mail\",\"chord\":\"opt+cmd+m\",\"source\":"
        "\"app:mail\"},{\"bundleIdentifier\":\"com.example.editor\",\"chord\":\"ctrl+cmd+e\",\"source\":"
        "\"hotkeys\"}]}");

    expectOutput({ "hotkey", "unset", "cmd+ctrl+e", "--yes" }, 0, "Removed ctrl+cmd+e.", "{\"chord\":\"ctrl+cmd+e\"}");
    expectOutput({ "hotkey", "unset", "cmd+opt+m", "--yes" }, 0, "Removed opt+cmd+m.");
    expectError({ "hotkey", "unset", "opt+cmd+m", "--yes" }, 5, "not_found", "No hotkey opt+cmd+m.");
    expectOutput({ "hotkey", "list" }, 0, "No hotkeys yet.");
}

// A chord the file spells another way is the same chord: setting it again leaves one entry, not two.
TEST_F(CommandRouterTest, SettingAChordTheFileSpellsAnotherWayReplacesIt)
{
    const std::string hotkeys = "\n[hotkeys]\n\"cmd+ctrl+t\" = \"com.example.term\" # mine\n"
                                "\"ctrl+cmd+u\" = \"com.example.u\" # kept\n";
    useConfig(mailApp + hotkeys);
    EXPECT_EQ(run({ "hotkey", "set", "ctrl+cmd+t", "com.example.term" }).exitCode, 0);
    EXPECT_EQ(run({ "hotkey", "set", "cmd+ctrl+t", "com.example.other" }).exitCode, 6) << "held by another app";
    EXPECT_EQ(run({ "hotkey", "set", "ctrl+cmd+u", "com.example.u" }).exitCode, 0);
    expectInFile("\"ctrl+cmd+u\" = { bundle = \"com.example.u\" } # kept\n");
    expectOutput({ "hotkey", "list" }, 0, "ctrl+cmd+u\tcom.example.u\nctrl+cmd+t\tcom.example.term");
    // Given to a web app, the chord leaves [hotkeys] whatever its spelling there.
    file = ConfigFile::makeDefault();
    useConfig(mailApp + "\n[hotkeys]\n\"cmd+ctrl+t\" = \"app.quorvane.web.mail\"\n");
    EXPECT_EQ(run({ "hotkey", "set", "ctrl+cmd+t", "Mail" }).exitCode, 0);
    expectOutput({ "hotkey", "list" }, 0, "ctrl+cmd+t\tapp.quorvane.web.mail");
}

TEST_F(CommandRouterTest, Rules)
{
    useConfig(mailApp);
    // A web app keeps its tile in its own table unless the rule needs a title or display.
    expectOutput({ "rule", "add", "Mail", "--tile", "left-half" }, 0, "Mail opens on left-half.",
        "{\"target\":\"Mail\",\"tile\":\"left-half\"}");
    EXPECT_EQ(file.decode().apps.at(0).spec.tile, "left-half");
    EXPECT_EQ(file.text().find("[rules."), std::string::npos);
    EXPECT_EQ(run({ "rule", "add", "Mail", "--tile", "fill", "--title", "Inbox" }).exitCode, 0);
    expectInFile("[rules.mail]\nbundle = \"app.quorvane.web.mail\"\ntitle = \"Inbox\"\ntile = \"fill\"\n");
    EXPECT_EQ(run({ "rule", "add", "com.apple.Terminal", "--tile", "right-third", "--display", "2" }).exitCode, 0);
    expectInFile("[rules.com-apple-terminal]\nbundle = \"com.apple.Terminal\"\ntile = \"right-third\"\ndisplay = 2\n");
    expectError({ "rule", "add", "Terminal", "--tile", "fill" }, 5, "not_found", "No app named Terminal.");
    // A title pattern that does not compile would match no window, so the rule would never act.
    expectError({ "rule", "add", "com.apple.Terminal", "--tile", "fill", "--title", "(unclosed" }, 1, "usage",
        "(unclosed is not a regular expression Quorvane can read.");
    expectError({ "rule", "add", "Terminal", "--tile", "nowhere" }, 1, "usage", "Unknown tile nowhere.");

    expectOutput({ "rule", "remove", "com.apple.Terminal", "--yes" }, 0, "Removed the rule for com.apple.Terminal.");
    expectError({ "rule", "remove", "com.apple.Terminal", "--yes" }, 5, "not_found", "No rule for com.apple.Terminal.");
    expectOutput({ "rule", "remove", "mail", "--yes" }, 0, "Removed the rule for mail.");
    EXPECT_EQ(file.decode().apps.at(0).spec.tile, std::nullopt);
    EXPECT_TRUE(file.decode().rules.empty());

    // A rule written by hand under another name goes with the app's own: none is left to report it removed.
    useConfig("\n[rules.editor]\nbundle = \"org.example.Editor\"\ntile = \"fill\"\n"
              "[rules.org-example-editor]\nbundle = \"org.example.Editor\"\ntile = \"left-half\"\n");
    expectOutput({ "rule", "remove", "org.example.Editor", "--yes" }, 0, "Removed the rule for org.example.Editor.");
    EXPECT_TRUE(file.decode().rules.empty());

    useConfig("\n[rules.scratch]\nbundle = \"\"\napp = \"gone\"\ntile = \"fill\"\n");
    expectOutput({ "rule", "remove", "scratch", "--yes" }, 0, "Removed the rule for scratch.");
    expectError({ "rule", "remove", "scratch", "--yes" }, 5, "not_found", "No rule for scratch.");
}

// Each application keeps one rule per title, and no application's rule takes another's place.
TEST_F(CommandRouterTest, ARuleIsAddedWhereItTakesEffectAndReplacesNoOtherApps)
{
    auto rules = [&] {
        std::vector<std::string> placed;
        for (const TileRule& rule : file.decode().rules)
            placed.push_back(
                rule.id + " " + rule.bundleIdentifier + " " + rule.tile + " " + rule.titlePattern.value_or(""));
        return placed;
    };
    // A rule written by hand under another name is the app's rule: it changes, instead of a second one that
    // would never be reached.
    useConfig("\n[rules.term] # mine\nbundle = \"org.example.Term\"\ntile = \"left-half\"\n");
    EXPECT_EQ(run({ "rule", "add", "org.example.Term", "--tile", "right-half" }).exitCode, 0);
    EXPECT_EQ(run({ "rule", "add", "org.example.Term", "--tile", "fill", "--title", "Log" }).exitCode, 0);
    EXPECT_EQ(rules(),
        (std::vector<std::string> {
            "term org.example.Term right-half ", "org-example-term org.example.Term fill Log" }));
    // Two ids with one slug: the second takes the next free name, and each removal takes its own.
    EXPECT_EQ(run({ "rule", "add", "org.a-b", "--tile", "left-half" }).exitCode, 0);
    EXPECT_EQ(run({ "rule", "add", "org.a.b", "--tile", "right-half" }).exitCode, 0);
    EXPECT_EQ(run({ "rule", "add", "org.a.b", "--tile", "fill" }).exitCode, 0);
    EXPECT_EQ(rules()[2], "org-a-b org.a-b left-half ");
    EXPECT_EQ(rules()[3], "org-a-b-2 org.a.b fill ");
    EXPECT_EQ(run({ "rule", "remove", "org.a.b", "--yes" }).exitCode, 0);
    EXPECT_EQ(rules().size(), 3u);
    EXPECT_EQ(rules()[2], "org-a-b org.a-b left-half ");
}

TEST_F(CommandRouterTest, ListsAndShow)
{
    expectOutput({ "app", "list" }, 0, "No web apps yet.", "{\"apps\":[]}");
    expectOutput({ "layout", "list" }, 0, "No layouts yet.", "{\"layouts\":[]}");
    useConfig(mailApp + "hotkey = \"opt+cmd+m\"\ntile = \"fill\"\n\n[layouts.work]\nmail = \"fill\"\n");
    expectOutput({ "app", "list" }, 0, "Mail\thttps://mail.example.com\topt+cmd+m\tfill");
    expectOutput({ "--json", "config", "show" }, 0, file.text(),
        "{\"apps\":[{\"bundleIdentifier\":\"app.quorvane.web.mail\",\"hotkey\":\"opt+cmd+m\",\"name\":\"Mail\","
        "\"slug\":\"mail\",\"tile\":\"fill\",\"url\":\"https://mail.example.com\"}],\"layouts\":[{\"assignments\":"
        "[{\"target\":\"mail\",\"tile\":\"fill\"}],\"name\":\"work\"}],\"version\":1}");

    // Lines are joined by newlines, so a layout named "" is an empty line, and it is still a layout.
    file = ConfigFile(ConfigFile::makeDefault().text() + "\n[layouts.\"\"]\nmail = \"fill\"\n");
    expectOutput({ "layout", "list" }, 0, "");
    useConfig("\n[layouts.work]\nmail = \"fill\"\n");
    expectOutput({ "layout", "list" }, 0, "\nwork");
}

TEST_F(CommandRouterTest, Doctor)
{
    expectOutput({ "doctor" }, 0,
        "[pass] config: config.toml parsed.\n"
        "[warn] agent: The agent hotkey is on, and no agent command is set yet.\n"
        "[pass] updates: Updates come from the package manager that installed Quorvane.\n"
        "[warn] menu-bar: Quorvane is not running, so hotkeys and tiling are waiting.",
        "{\"checks\":[{\"detail\":\"config.toml parsed.\",\"name\":\"config\",\"status\":\"pass\"},{\"detail\":"
        "\"The agent hotkey is on, and no agent command is set yet.\",\"name\":\"agent\",\"status\":\"warn\"},"
        "{\"detail\":\"Updates come from the package manager that installed Quorvane.\",\"name\":\"updates\","
        "\"status\":\"pass\"},"
        "{\"detail\":\"Quorvane is not running, so hotkeys and tiling are waiting.\",\"name\":\"menu-bar\","
        "\"status\":\"warn\"}],\"ok\":true}");

    // With a feed, the row says how updates come; a feed that is not a web address is worth a warning.
    const std::pair<std::string, std::string> feeds[] = {
        { "https://example.com/feed",
            "[pass] updates: Quorvane looks for a new version at https://example.com/feed once a day." },
        { "ftp://example.com/feed",
            "[warn] updates: The update feed ftp://example.com/feed is not an http or https "
            "address, so Quorvane cannot check for updates." },
        { "http://",
            "[warn] updates: The update feed http:// is not an http or https address, so Quorvane cannot check for "
            "updates." },
    };
    for (const auto& [feed, row] : feeds) {
        updateFeed = feed;
        EXPECT_NE(run({ "doctor" }).message.find(row), std::string::npos) << feed;
    }
    updateFeed.reset();

    // A built-in chord that does not read binds nothing, which the doctor names.
    std::string text = ConfigFile::makeDefault().text();
    const std::string chord = "tile_mode_hotkey = \"ctrl+opt+space\"";
    ASSERT_NE(text.find(chord), std::string::npos);
    file = ConfigFile(text.replace(text.find(chord), chord.size(), "tile_mode_hotkey = \"bogus+x\""));
    EXPECT_NE(run({ "doctor" }).message.find("[fail] hotkey: Hotkey bogus+x of tile_mode_hotkey could not be read.\n"),
        std::string::npos);
    file = ConfigFile::makeDefault();

    useConfig("\n[apps.a]\nurl = \"ftp://host\"\nname = \"A\"\ntile = \"middle\"\nhotkey = \"opt+cmd+m\"\n"
              "\n[apps.b]\nurl = \"https://b.example\"\nname = \"B\"\nhotkey = \"cmd+opt+m\"\n");
    live = true;
    CommandOutput output = run({ "doctor" });
    EXPECT_EQ(output.exitCode, 8);
    EXPECT_NE(
        output.message.find("[fail] a: ftp://host is not an http or https address.\n[fail] a: Unknown tile middle."),
        std::string::npos)
        << output.message;
    EXPECT_TRUE(output.message.ends_with("[pass] accessibility: Quorvane can move windows.")) << output.message;
    EXPECT_EQ(output.payload.objectValue()->at("ok"), JSONValue(false));
}

TEST_F(CommandRouterTest, Skills)
{
    fs::create_directories(home.file(".agents/skills"));
    expectOutput({ "skill", "paths" }, 0, "found\t~/.agents/skills\nmissing\t~/missing/skills",
        "{\"folders\":[{\"folder\":\"~/.agents/skills\",\"present\":true},{\"folder\":\"~/missing/skills\","
        "\"present\":false}]}");

    expectOutput({ "skill", "install", "~/agents/skills" }, 0, "Installed the Quorvane skill in ~/agents/skills.");
    EXPECT_EQ(test::readFile(home.file("agents/skills/quorvane/SKILL.md")), "skill text\n");
    EXPECT_EQ(run({ "skill", "install", "~/agents/skills" }).exitCode, 0);
    EXPECT_EQ(file.decode().agents.installed, Words { "~/agents/skills" });

    // The expanded spelling removes the "~" entry too.
    expectOutput({ "skill", "uninstall", home.file("agents/skills"), "--yes" }, 0,
        "Removed the Quorvane skill from " + home.file("agents/skills") + ".");
    EXPECT_FALSE(fs::exists(home.file("agents/skills/quorvane/SKILL.md")));
    EXPECT_TRUE(file.decode().agents.installed.empty());

    // Someone's folder standing as the skill file stays, and that is a failure, not a removal.
    ASSERT_EQ(run({ "skill", "install", "~/agents/skills" }).exitCode, 0);
    fs::remove(home.file("agents/skills/quorvane/SKILL.md"));
    fs::create_directories(home.file("agents/skills/quorvane/SKILL.md"));
    test::writeFile(home.file("agents/skills/quorvane/SKILL.md/notes"), "mine");
    expectOutput({ "skill", "uninstall", "~/agents/skills", "--yes" }, 8,
        "The Quorvane skill in ~/agents/skills was not removed: " + home.file("agents/skills/quorvane/SKILL.md")
            + " is a folder.",
        "{\"code\":\"failed\"}");
    EXPECT_EQ(test::readFile(home.file("agents/skills/quorvane/SKILL.md/notes")), "mine");
}

TEST_F(CommandRouterTest, DotlessIdentifiersTheDesktopKnowsAreTargets)
{
    live = true;
    applicationIds = { "xterm", "firefox-esr", "Alacritty", "two words", "a/b" };
    expectOutput({ "tile", "xterm", "left-half" }, 0, "Tiled xterm to left-half.");
    expectOutput({ "rule", "add", "firefox-esr", "--tile", "right-half" }, 0, "firefox-esr opens on right-half.");
    expectInFile("[rules.firefox-esr]\nbundle = \"firefox-esr\"");
    // A rule is kept under the identifier's slug, and removed by the identifier as written.
    expectOutput({ "rule", "add", "Alacritty", "--tile", "fill" }, 0, "Alacritty opens on fill.");
    expectOutput({ "rule", "remove", "Alacritty", "--yes" }, 0, "Removed the rule for Alacritty.");
    EXPECT_EQ(file.decode().rules.size(), 1u);
    expectOutput({ "hotkey", "set", "opt+cmd+x", "xterm" }, 0, "\u2325\u2318X \u2192 xterm");
    expectInFile("\"opt+cmd+x\" = { bundle = \"xterm\" }");
    // A chord held by the same dotless target is no clash.
    expectOutput({ "hotkey", "set", "opt+cmd+x", "xterm" }, 0, "\u2325\u2318X \u2192 xterm");
    EXPECT_EQ(controller.calls, (Words { "snap xterm left-half -" }));

    // Words the desktop does not know, and words that could never be identifiers, fail as before.
    expectError({ "tile", "nothing", "fill" }, 5, "not_found", "No app named nothing.");
    expectError({ "tile", "two words", "fill" }, 5, "not_found", "No app named two words.");
    expectError({ "rule", "add", "a/b", "--tile", "fill" }, 5, "not_found", "No app named a/b.");
    expectError({ "hotkey", "set", "opt+cmd+y", "nothing" }, 5, "not_found",
        "No app named nothing. Use a web app name or a bundle id such as com.example.editor.");
    expectError({ "hotkey", "set", "opt+cmd+x", "firefox-esr" }, 6, "conflict", "opt+cmd+x is already used.");
}

TEST_F(CommandRouterTest, TheReadOnlyEntryAnswersLikeTheOtherAndRefusesChanges)
{
    file = ConfigFile(ConfigFile::makeDefault().text() + "[layouts.work]\n\"com.apple.Safari\" = \"fill\"\n");
    live = true;
    const std::vector<Words> reading = { { "ping" }, { "tile", "com.apple.Safari", "fill" },
        { "layout", "apply", "work" }, { "layout", "list" }, { "app", "list" }, { "hotkey", "list" },
        { "config", "show" }, { "skill", "paths" }, { "doctor" }, { "layout", "apply", "nothing" } };
    for (const Words& words : reading) {
        SCOPED_TRACE(::testing::PrintToString(words));
        readOnly = false;
        CommandOutput expected = run(words);
        readOnly = true;
        EXPECT_EQ(run(words), expected);
    }
    readOnly = true;
    const std::string before = file.text();
    const std::vector<Words> changing = { { "hotkey", "set", "ctrl+opt+x", "com.example.editor" },
        { "rule", "add", "com.example.editor", "--tile", "fill" }, { "layout", "save", "home" },
        { "hotkey", "unset", "ctrl+opt+x", "--yes" } };
    for (const Words& words : changing) {
        SCOPED_TRACE(::testing::PrintToString(words));
        CommandOutput refused = run(words);
        EXPECT_EQ(refused.exitCode, 8);
        EXPECT_EQ(file.text(), before);
    }
}

TEST_F(CommandRouterTest, DoctorShowsTheConfigRowTheCallerFound)
{
    live = true;
    configCheck = DoctorCheck { "config", DoctorCheck::Status::fail, "Config line 3: A table header is missing ]." };
    CommandOutput output = run({ "doctor" });
    EXPECT_EQ(output.exitCode, 8);
    EXPECT_EQ(output.message.substr(0, output.message.find('\n')), "[fail] config: Config line 3: A table header is missing ].");
}

} // namespace
} // namespace quorvane
