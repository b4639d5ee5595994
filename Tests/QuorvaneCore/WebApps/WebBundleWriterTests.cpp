#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebBundleWriter.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <plist/plist.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Commands = std::vector<std::vector<std::string>>;

class WebBundleWriterTest : public testing::Test {
protected:
    WebAppBundlePlan plan(const std::string& name, const std::string& url = "https://mail.example.com")
    {
        std::string identifier = bundleIdentifier(slugify(name));
        return WebAppBundlePlan(
            name, slugify(name), url, identifier, StableIdentity::dataStoreIdentifier(identifier), folder.file("Apps"));
    }

    std::string host(const std::string& contents)
    {
        writeFile(folder.file("QuorvaneWebHost"), contents);
        return folder.file("QuorvaneWebHost");
    }

    void expectBundle(const WebAppBundlePlan& plan, const std::string& icon, const std::optional<std::string>& host)
    {
        EXPECT_EQ(readFile(plan.bundlePath + "/Contents/Info.plist"), plan.infoPlist());
        EXPECT_EQ(readFile(plan.bundlePath + "/Contents/Resources/stub.json"), plan.stubJSON());
        EXPECT_EQ(readFile(plan.bundlePath + "/Contents/Resources/AppIcon.icns"), icon);
        EXPECT_TRUE(fs::is_directory(plan.bundlePath + "/Contents/MacOS"));
        EXPECT_EQ(fs::exists(webHostExecutable(plan.bundlePath)), host.has_value());
        if (host) {
            EXPECT_EQ(readFile(webHostExecutable(plan.bundlePath)), *host);
            EXPECT_EQ(fs::status(webHostExecutable(plan.bundlePath)).permissions(), fs::perms(0755));
        }
    }

    // codesign, then lsregister.
    Commands signedAndRegistered(const std::string& bundlePath, const std::string& identifier)
    {
        return { { "/usr/bin/codesign", "--force", "--sign", "-", "--identifier", identifier, bundlePath },
            { "/System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support/"
              "lsregister",
                "-f", bundlePath } };
    }

    test::TemporaryFolder folder;
    Commands commands;
    WebBundleWriter::ToolRunner recorder
        = [this](const std::vector<std::string>& command) { commands.push_back(command); };
    // A writer as on macOS, which has the tools.
    WebBundleWriter writer { recorder, true };
};

TEST_F(WebBundleWriterTest, installWritesTheBundleAndSignsOnlyWithAHost)
{
    writer.install(plan("Mail", "https://old.example"), std::nullopt, "old icon");
    writer.install(plan("Mail", "https://old.example"), folder.file("missing-host"), "old icon");
    expectBundle(plan("Mail", "https://old.example"), "old icon", std::nullopt);
    EXPECT_THAT(commands, testing::IsEmpty());

    WebAppBundlePlan mail = plan("Mail");
    writer.install(mail, host("old host"), "icon");
    writer.install(mail, host("new host"), "new icon");
    expectBundle(mail, "new icon", "new host");
    Commands once = signedAndRegistered(mail.bundlePath, "app.quorvane.web.mail");
    Commands twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(commands, twice);
}

TEST_F(WebBundleWriterTest, refreshesTouchOnlyExistingBundles)
{
    WebAppBundlePlan mail = plan("Mail");
    writer.refreshDetails(mail.bundlePath, mail);
    writer.refreshHost(mail.bundlePath, host("new"), "id");
    EXPECT_FALSE(fs::exists(mail.bundlePath));
    writer.install(mail, std::nullopt, "icon");
    writer.refreshHost(mail.bundlePath, folder.file("missing"), "id");
    EXPECT_THAT(commands, testing::IsEmpty());

    fs::remove_all(mail.bundlePath + "/Contents/Resources");
    WebAppBundlePlan moved = plan("Mail", "https://new.example.com");
    writer.refreshDetails(mail.bundlePath, moved);
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Info.plist"), moved.infoPlist());
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Resources/stub.json"), moved.stubJSON());
    EXPECT_EQ(commands, signedAndRegistered(mail.bundlePath, "app.quorvane.web.mail"));

    commands.clear();
    writer.refreshHost(mail.bundlePath, host("new"), "other.id");
    EXPECT_EQ(readFile(webHostExecutable(mail.bundlePath)), "new");
    EXPECT_EQ(fs::status(webHostExecutable(mail.bundlePath)).permissions(), fs::perms(0755));
    EXPECT_EQ(commands, signedAndRegistered(mail.bundlePath, "other.id"));
}

// Where the system lacks codesign or lsregister, every write leaves the bundle complete and starts no tool.
TEST_F(WebBundleWriterTest, withoutTheSystemToolsNothingIsSignedOrRegistered)
{
    WebAppBundlePlan mail = plan("Mail");
    const std::vector<std::pair<const char*, std::function<void(const WebBundleWriter&)>>> writes = {
        { "install", [&](const WebBundleWriter& w) { w.install(mail, host("host"), "icon"); } },
        { "refreshDetails", [&](const WebBundleWriter& w) { w.refreshDetails(mail.bundlePath, mail); } },
        { "refreshHost", [&](const WebBundleWriter& w) { w.refreshHost(mail.bundlePath, host("new"), "id"); } },
        { "signAndRegister", [&](const WebBundleWriter& w) { w.signAndRegister(mail.bundlePath, "id"); } },
    };
    for (const auto& [name, write] : writes) {
        commands.clear();
        write(WebBundleWriter(recorder, false));
        EXPECT_THAT(commands, testing::IsEmpty()) << name;
        write(WebBundleWriter(recorder));
        EXPECT_EQ(commands.empty(), !WebBundleWriter::systemSignsBundles()) << name;
    }
    expectBundle(mail, "icon", "new");
}

// Links planted inside a bundle (or as the bundle) give way to the bundle's own files and folders; what
// they point at stays as it was.
TEST_F(WebBundleWriterTest, writesReplaceLinksInsideTheBundleAndNeverFollowThem)
{
    struct Case {
        std::string link;
        bool folder;
    };
    const Case cases[] = {
        { "Contents/Info.plist", false },
        { "Contents/Resources/stub.json", false },
        { "Contents/Resources/AppIcon.icns", false },
        { "Contents/MacOS/QuorvaneWebHost", false },
        { "Contents", true },
        { "Contents/Resources", true },
        { "Contents/MacOS", true },
        { "", true },
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.link);
        WebAppBundlePlan mail = plan("Mail");
        fs::remove_all(folder.file("Apps"));
        fs::remove_all(folder.file("outside"));
        fs::create_directories(folder.file("outside/folder"));
        writeFile(folder.file("outside/file"), "precious");
        std::string link = item.link.empty() ? mail.bundlePath : mail.bundlePath + "/" + item.link;
        fs::create_directories(fs::path(link).parent_path());
        if (item.folder)
            fs::create_directory_symlink(folder.file("outside/folder"), link);
        else
            fs::create_symlink(folder.file("outside/file"), link);

        writer.install(mail, host("host"), "icon");
        expectBundle(mail, "icon", "host");
        EXPECT_FALSE(fs::is_symlink(link));
        EXPECT_EQ(readFile(folder.file("outside/file")), "precious");
        EXPECT_TRUE(fs::is_empty(folder.file("outside/folder")));

        fs::remove_all(link);
        if (item.folder)
            fs::create_directory_symlink(folder.file("outside/folder"), link);
        else
            fs::create_symlink(folder.file("outside/file"), link);
        writer.refreshDetails(mail.bundlePath, mail);
        writer.refreshHost(mail.bundlePath, host("host"), "id");
        EXPECT_EQ(readFile(folder.file("outside/file")), "precious");
        EXPECT_TRUE(fs::is_empty(folder.file("outside/folder")));
    }
}

TEST_F(WebBundleWriterTest, removeDeletesTheBundleButNeverALinksTargetOrAnythingOutsideTheFolder)
{
    WebAppBundlePlan mail = plan("Mail");
    writer.remove(mail.bundlePath);
    writer.install(mail, std::nullopt, "icon");
    writer.remove(mail.bundlePath);
    EXPECT_FALSE(fs::exists(mail.bundlePath));

    fs::create_directories(folder.file("Slack.app/Contents"));
    writeFile(folder.file("Slack.app/Contents/data"), "precious");
    fs::create_directory_symlink(folder.file("Slack.app"), folder.file("Apps/Linked.app"));
    writer.remove(folder.file("Apps/Linked.app"));
    EXPECT_FALSE(fs::exists(folder.file("Apps/Linked.app")));

    std::string escaping = folder.file("Apps/../Slack.app");
    EXPECT_THROW(writer.remove(escaping), QuorvaneError);
    EXPECT_THROW(writer.refreshDetails(escaping, mail), QuorvaneError);
    EXPECT_THROW(writer.refreshHost(escaping, host("evil"), "id"), QuorvaneError);
    EXPECT_EQ(readFile(folder.file("Slack.app/Contents/data")), "precious");
    EXPECT_FALSE(fs::exists(folder.file("Slack.app/Contents/Info.plist")));
    EXPECT_THAT(commands, testing::IsEmpty());
}

TEST_F(WebBundleWriterTest, bundleIdentifierReadsXMLAndBinaryPropertyLists)
{
    fs::create_directories(folder.file("Read.app/Contents"));
    auto identifierOf = [&](plist_t root, bool binary) {
        char* data = nullptr;
        uint32_t length = 0;
        (binary ? plist_to_bin : plist_to_xml)(root, &data, &length);
        plist_free(root);
        writeFile(folder.file("Read.app/Contents/Info.plist"), std::string(data, length));
        free(data);
        return WebBundleWriter::bundleIdentifier(folder.file("Read.app"));
    };
    auto dictionary = [](plist_t identifier) {
        plist_t root = plist_new_dict();
        plist_dict_set_item(root, "CFBundleName", plist_new_string("Mail"));
        if (identifier)
            plist_dict_set_item(root, "CFBundleIdentifier", identifier);
        return root;
    };
    for (bool binary : { false, true }) {
        EXPECT_EQ(
            identifierOf(dictionary(plist_new_string(" app.quorvane.web.mail\n")), binary), "app.quorvane.web.mail");
        EXPECT_EQ(identifierOf(dictionary(nullptr), binary), std::nullopt);
        EXPECT_EQ(identifierOf(dictionary(plist_new_string(" \n ")), binary), std::nullopt);
        EXPECT_EQ(identifierOf(dictionary(plist_new_uint(7)), binary), std::nullopt);
        EXPECT_EQ(identifierOf(plist_new_array(), binary), std::nullopt);
    }
    for (std::string broken : { "", "not a plist", "<?xml version=\"1.0\"?><plist><dict><key>", "bplist00\x01" }) {
        writeFile(folder.file("Read.app/Contents/Info.plist"), broken);
        EXPECT_EQ(WebBundleWriter::bundleIdentifier(folder.file("Read.app")), std::nullopt) << broken;
    }
    EXPECT_EQ(WebBundleWriter::bundleIdentifier(folder.file("Missing.app")), std::nullopt);
}

TEST(WebBundleWriter, runDiscardsOutputAndIgnoresToolsThatCannotStart)
{
    test::TemporaryFolder folder;
    WebBundleWriter::run({ "/bin/sh", "-c", "echo noise; echo more >&2; touch \"$0\"", folder.file("ran") });
    EXPECT_TRUE(fs::exists(folder.file("ran")));
    EXPECT_NO_THROW(WebBundleWriter::run({ folder.file("no-such-tool"), "--force" }));
}

TEST(WebBundleWriter, hostRefreshWaitsForRunningAppsOnly)
{
    EXPECT_EQ(hostRefresh("abc", "abc", true), HostRefresh::current);
    EXPECT_EQ(hostRefresh("old", "abc", true), HostRefresh::waitUntilQuit);
    EXPECT_EQ(hostRefresh(std::nullopt, "abc", false), HostRefresh::refresh);
}

} // namespace
} // namespace quorvane
