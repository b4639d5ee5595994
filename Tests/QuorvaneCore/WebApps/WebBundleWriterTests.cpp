#include "Support/QuorvaneError.h"
#include "TestSupport/TemporaryFolder.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebBundleWriter.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Commands = std::vector<std::vector<std::string>>;

const std::string lsregister = "/System/Library/Frameworks/CoreServices.framework/Frameworks/"
                               "LaunchServices.framework/Support/lsregister";

class WebBundleWriterTest : public testing::Test {
protected:
    WebAppBundlePlan plan(const std::string& name, const std::string& url = "https://mail.example.com")
    {
        std::string slug = slugify(name);
        std::string identifier = bundleIdentifier(slug);
        return WebAppBundlePlan(
            name, slug, url, identifier, StableIdentity::dataStoreIdentifier(identifier), folder.file("Apps"));
    }

    std::string host(const std::string& contents)
    {
        std::string path = folder.file("QuorvaneWebHost");
        writeFile(path, contents);
        return path;
    }

    Commands signAndRegister(const std::string& bundlePath, const std::string& identifier)
    {
        return { WebBundleWriter::codesignArguments(bundlePath, identifier), { lsregister, "-f", bundlePath } };
    }

    test::TemporaryFolder folder;
    Commands commands;
    WebBundleWriter writer { [this](const std::vector<std::string>& command) { commands.push_back(command); } };
};

TEST_F(WebBundleWriterTest, installWithoutAHostWritesTheThreeFilesAndRunsNoTool)
{
    WebAppBundlePlan mail = plan("Mail");
    writer.install(mail, std::nullopt, "icon-bytes");
    writer.install(plan("Other"), folder.file("missing-host"), "icon");

    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Info.plist"), mail.infoPlist());
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Resources/stub.json"), mail.stubJSON());
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Resources/AppIcon.icns"), "icon-bytes");
    EXPECT_TRUE(fs::is_directory(mail.bundlePath + "/Contents/MacOS"));
    EXPECT_FALSE(fs::exists(webHostExecutable(mail.bundlePath)));
    EXPECT_THAT(commands, testing::IsEmpty());
}

TEST_F(WebBundleWriterTest, installOverAnExistingBundleReplacesEverythingThenSignsAndRegisters)
{
    WebAppBundlePlan old = plan("Mail", "https://old.example.com");
    writer.install(old, host("old host"), "old icon");
    chmod(webHostExecutable(old.bundlePath).c_str(), 0500);
    commands.clear();

    WebAppBundlePlan mail = plan("Mail");
    writer.install(mail, host("new host"), "new icon");

    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Info.plist"), mail.infoPlist());
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Resources/stub.json"), mail.stubJSON());
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Resources/AppIcon.icns"), "new icon");
    EXPECT_EQ(readFile(webHostExecutable(mail.bundlePath)), "new host");
    EXPECT_EQ(fs::status(webHostExecutable(mail.bundlePath)).permissions(), fs::perms(0755));
    EXPECT_EQ(commands, signAndRegister(mail.bundlePath, "app.quorvane.web.mail"));
    EXPECT_EQ(WebBundleWriter::codesignArguments("/A/Mail.app", "app.quorvane.web.mail"),
        (std::vector<std::string> {
            "/usr/bin/codesign", "--force", "--sign", "-", "--identifier", "app.quorvane.web.mail", "/A/Mail.app" }));
}

TEST_F(WebBundleWriterTest, refreshDetailsRewritesTheTextFilesOfAnExistingBundleOnly)
{
    WebAppBundlePlan mail = plan("Mail");
    writer.refreshDetails(mail.bundlePath, mail);
    EXPECT_FALSE(fs::exists(mail.bundlePath));
    EXPECT_THAT(commands, testing::IsEmpty());

    writer.install(mail, std::nullopt, "icon");
    fs::remove_all(mail.bundlePath + "/Contents/Resources");
    WebAppBundlePlan moved = plan("Mail", "https://new.example.com");
    writer.refreshDetails(mail.bundlePath, moved);
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Info.plist"), moved.infoPlist());
    EXPECT_EQ(readFile(mail.bundlePath + "/Contents/Resources/stub.json"), moved.stubJSON());
    EXPECT_EQ(commands, signAndRegister(mail.bundlePath, moved.bundleIdentifier));
}

TEST_F(WebBundleWriterTest, refreshHostReplacesTheExecutableWhenBothExist)
{
    WebAppBundlePlan mail = plan("Mail");
    writer.refreshHost(mail.bundlePath, host("new"), "id");
    EXPECT_FALSE(fs::exists(mail.bundlePath));

    writer.install(mail, std::nullopt, "icon");
    writer.refreshHost(mail.bundlePath, folder.file("missing"), "id");
    EXPECT_THAT(commands, testing::IsEmpty());

    writer.refreshHost(mail.bundlePath, host("new"), "app.quorvane.web.mail");
    EXPECT_EQ(readFile(webHostExecutable(mail.bundlePath)), "new");
    EXPECT_EQ(fs::status(webHostExecutable(mail.bundlePath)).permissions(), fs::perms(0755));
    EXPECT_EQ(commands, signAndRegister(mail.bundlePath, "app.quorvane.web.mail"));
}

TEST_F(WebBundleWriterTest, removeDeletesTheBundleButNeverFollowsALink)
{
    WebAppBundlePlan mail = plan("Mail");
    writer.remove(mail.bundlePath);
    writer.install(mail, std::nullopt, "icon");
    writer.remove(mail.bundlePath);
    EXPECT_FALSE(fs::exists(mail.bundlePath));

    fs::create_directories(folder.file("Documents"));
    writeFile(folder.file("Documents/keep.txt"), "keep");
    fs::create_directory_symlink(folder.file("Documents"), folder.file("Apps/Linked.app"));
    writer.remove(folder.file("Apps/Linked.app"));
    EXPECT_FALSE(fs::exists(folder.file("Apps/Linked.app")));
    EXPECT_EQ(readFile(folder.file("Documents/keep.txt")), "keep");
}

TEST_F(WebBundleWriterTest, noOperationTouchesAPathThatStepsOutOfTheFolder)
{
    fs::create_directories(folder.file("Slack.app/Contents"));
    writeFile(folder.file("Slack.app/Contents/data"), "precious");
    std::string escaping = folder.file("Apps/../Slack.app");
    WebAppBundlePlan mail = plan("Mail");

    EXPECT_THROW(writer.remove(escaping), QuorvaneError);
    EXPECT_THROW(writer.refreshDetails(escaping, mail), QuorvaneError);
    EXPECT_THROW(writer.refreshHost(escaping, host("evil"), "id"), QuorvaneError);
    EXPECT_THROW(writer.remove(folder.file("Apps/.hidden.app")), QuorvaneError);
    EXPECT_EQ(readFile(folder.file("Slack.app/Contents/data")), "precious");
    EXPECT_FALSE(fs::exists(folder.file("Slack.app/Contents/Info.plist")));
    EXPECT_THAT(commands, testing::IsEmpty());
}

class BundleIdentifierTest : public WebBundleWriterTest {
protected:
    std::optional<std::string> identifierOf(plist_t dictionary, bool binary)
    {
        char* data = nullptr;
        uint32_t length = 0;
        if (binary)
            plist_to_bin(dictionary, &data, &length);
        else
            plist_to_xml(dictionary, &data, &length);
        plist_free(dictionary);
        fs::create_directories(folder.file("Read.app/Contents"));
        writeFile(folder.file("Read.app/Contents/Info.plist"), std::string(data, length));
        free(data);
        return WebBundleWriter::bundleIdentifier(folder.file("Read.app"));
    }

    static plist_t dictionaryWith(plist_t value)
    {
        plist_t dictionary = plist_new_dict();
        plist_dict_set_item(dictionary, "CFBundleName", plist_new_string("Mail"));
        if (value)
            plist_dict_set_item(dictionary, "CFBundleIdentifier", value);
        return dictionary;
    }
};

TEST_F(BundleIdentifierTest, readsXMLAndBinaryPropertyLists)
{
    for (bool binary : { false, true }) {
        EXPECT_EQ(identifierOf(dictionaryWith(plist_new_string("  app.quorvane.web.mail\n")), binary),
            "app.quorvane.web.mail");
        EXPECT_EQ(identifierOf(dictionaryWith(nullptr), binary), std::nullopt);
        EXPECT_EQ(identifierOf(dictionaryWith(plist_new_string(" \n ")), binary), std::nullopt);
        EXPECT_EQ(identifierOf(dictionaryWith(plist_new_uint(7)), binary), std::nullopt);
        plist_t array = plist_new_array();
        plist_array_append_item(array, plist_new_string("app.quorvane.web.mail"));
        EXPECT_EQ(identifierOf(array, binary), std::nullopt);
    }
}

TEST_F(BundleIdentifierTest, readsWhatInstallWroteAndNothingFromBrokenFiles)
{
    WebAppBundlePlan mail = plan("Mail");
    writer.install(mail, std::nullopt, "icon");
    EXPECT_EQ(WebBundleWriter::bundleIdentifier(mail.bundlePath), "app.quorvane.web.mail");
    EXPECT_EQ(WebBundleWriter::bundleIdentifier(folder.file("Missing.app")), std::nullopt);
    fs::create_directories(folder.file("Broken.app/Contents"));
    for (std::string broken : { "", "not a plist", "<?xml version=\"1.0\"?><plist><dict><key>", "bplist00\x01" }) {
        writeFile(folder.file("Broken.app/Contents/Info.plist"), broken);
        EXPECT_EQ(WebBundleWriter::bundleIdentifier(folder.file("Broken.app")), std::nullopt) << broken;
    }
}

TEST(WebBundleWriter, runWaitsForTheToolAndIgnoresOneThatCannotStart)
{
    test::TemporaryFolder folder;
    std::string marker = folder.file("ran");
    WebBundleWriter::run({ "/bin/sh", "-c", "echo noise; echo more >&2; touch \"$0\"", marker });
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_NO_THROW(WebBundleWriter::run({ "/usr/bin/codesign", "--force" }));
    EXPECT_NO_THROW(WebBundleWriter::run({}));
}

TEST(WebBundleWriter, hostRefreshWaitsForRunningAppsOnly)
{
    EXPECT_EQ(hostRefresh("abc", "abc", true), HostRefresh::current);
    EXPECT_EQ(hostRefresh("abc", "abc", false), HostRefresh::current);
    EXPECT_EQ(hostRefresh("old", "abc", false), HostRefresh::refresh);
    EXPECT_EQ(hostRefresh("old", "abc", true), HostRefresh::waitUntilQuit);
    EXPECT_EQ(hostRefresh(std::nullopt, "abc", false), HostRefresh::refresh);
    EXPECT_EQ(hostRefresh(std::nullopt, "abc", true), HostRefresh::waitUntilQuit);
    EXPECT_EQ(webHostExecutable("/A/Mail.app"), "/A/Mail.app/Contents/MacOS/QuorvaneWebHost");
}

} // namespace
} // namespace quorvane
