#include "Configuration/QuorvaneConfig.h"
#include "Support/QuorvaneError.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebAppName.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

namespace quorvane {
namespace {

void expectUsageError(const std::function<void()>& action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "expected the usage error: " << message;
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.code(), "usage");
        EXPECT_EQ(error.exitCode(), 1);
        EXPECT_EQ(error.message(), message);
    }
}

WebAppRecord record(std::string slug, std::string name, std::string url)
{
    WebAppRecord record;
    record.slug = slug;
    record.spec.name = std::move(name);
    record.spec.url = std::move(url);
    record.spec.bundleIdentifier = bundleIdentifier(slug);
    return record;
}

TEST(WebAppBundlePlan, acceptsWebAddressesAsTypedButTrimmed)
{
    EXPECT_EQ(validatedWebURL("  https://mail.example.com/inbox \n"), "https://mail.example.com/inbox");
    EXPECT_EQ(validatedWebURL("HTTP://Example.com"), "HTTP://Example.com");
    EXPECT_EQ(validatedWebURL("http://[::1]:8080/"), "http://[::1]:8080/");
}

TEST(WebAppBundlePlan, refusesAddressesThatAreNotWebAddressesWithAHost)
{
    for (std::string text : { "mailto:someone@example.com", "https:example.com", "https://", "ftp://example.com",
             "example.com", "", " https://exa mple.com", "file:///etc/passwd" })
        expectUsageError(
            [&] { validatedWebURL(text); }, "\u201C" + text + "\u201D needs to be an http or https address.");
}

TEST(WebAppBundlePlan, slugsKeepLettersAndNumbersOfAnyScript)
{
    const std::pair<std::string, std::string> cases[] = {
        { "My Mail!", "my-mail" },
        { "!!!", "app" },
        { "", "app" },
        { "--Slack--", "slack" },
        { "Café  Crème", "café-crème" },
        { "Ünïcödé 2", "ünïcödé-2" },
        { "東京 メール", "東京-メール" },
        { "a\u0301b", "a\u0301b" },
        { "Mail 🙂 Box", "mail-box" },
    };
    for (const auto& [name, slug] : cases)
        EXPECT_EQ(slugify(name), slug) << name;
}

TEST(WebAppBundlePlan, plansFromTheSameRecordAreEqualAndTheDataStoreFollowsTheIdentifierOnly)
{
    WebAppRecord mail = record("my-mail", "My Mail", "https://mail.example.com");
    EXPECT_EQ(WebAppBundlePlan::forRecord(mail, "/Apps"), WebAppBundlePlan::forRecord(mail, "/Apps"));

    WebAppRecord renamed = record("my-mail", "Other Name", "https://other.example.org");
    EXPECT_EQ(WebAppBundlePlan::forRecord(mail, "/Apps").dataStoreIdentifier,
        WebAppBundlePlan::forRecord(renamed, "/Apps").dataStoreIdentifier);
    // Computed independently as uuid5(namespace, "app.quorvane.web.my-mail").
    EXPECT_EQ(StableIdentity::dataStoreIdentifier("app.quorvane.web.my-mail").uuidString(),
        "8A1AD1BC-A138-5746-83C2-A57B68BFD938");
    EXPECT_NE(StableIdentity::dataStoreIdentifier("app.quorvane.web.slack"),
        StableIdentity::dataStoreIdentifier("app.quorvane.web.my-mail"));
}

TEST(WebAppBundlePlan, bundlePathIsFixedWhenThePlanIsBuilt)
{
    WebAppBundlePlan plan = WebAppBundlePlan::forRecord(record("mail", "Mail", "https://m.example"), "/h/Apps/");
    EXPECT_EQ(plan.bundlePath, "/h/Apps/Mail.app");
    plan.name = "Renamed";
    EXPECT_EQ(plan.bundlePath, "/h/Apps/Mail.app");
}

TEST(WebAppBundlePlan, infoPlistEscapesTheNameAndIsWellFormed)
{
    WebAppBundlePlan plan("Tom & Jerry's <\"Mail\">", "tom-jerry-s-mail", "https://x.example/?a=1&b=2",
        "app.quorvane.web.tom-jerry-s-mail", *UUID::parse("8A1AD1BC-A138-5746-83C2-A57B68BFD938"), "/Apps");
    const std::string name = "Tom &amp; Jerry's &lt;&quot;Mail&quot;&gt;";
    const std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                 "<plist version=\"1.0\">\n"
                                 "<dict>\n"
                                 "  <key>CFBundleDevelopmentRegion</key><string>en</string>\n"
                                 "  <key>CFBundleExecutable</key><string>QuorvaneWebHost</string>\n"
                                 "  <key>CFBundleIconFile</key><string>AppIcon</string>\n"
                                 "  <key>CFBundleIdentifier</key><string>app.quorvane.web.tom-jerry-s-mail</string>\n"
                                 "  <key>CFBundleInfoDictionaryVersion</key><string>6.0</string>\n"
                                 "  <key>CFBundleName</key><string>"
        + name
        + "</string>\n"
          "  <key>CFBundleDisplayName</key><string>"
        + name
        + "</string>\n"
          "  <key>CFBundlePackageType</key><string>APPL</string>\n"
          "  <key>CFBundleShortVersionString</key><string>1.0.1</string>\n"
          "  <key>CFBundleVersion</key><string>1</string>\n"
          "  <key>LSMinimumSystemVersion</key><string>14.0</string>\n"
          "  <key>NSHighResolutionCapable</key><true/>\n"
          "  <key>NSPrincipalClass</key><string>NSApplication</string>\n"
          "  <key>QVSlug</key><string>tom-jerry-s-mail</string>\n"
          "  <key>QVURL</key><string>https://x.example/?a=1&amp;b=2</string>\n"
          "  <key>QVDataStoreUUID</key><string>8A1AD1BC-A138-5746-83C2-A57B68BFD938</string>\n"
          "</dict>\n"
          "</plist>";
    std::string text = plan.infoPlist();
    EXPECT_EQ(text, expected);

    plist_t root = nullptr;
    plist_from_xml(text.data(), static_cast<uint32_t>(text.size()), &root);
    ASSERT_NE(root, nullptr);
    char* readName = nullptr;
    plist_get_string_val(plist_dict_get_item(root, "CFBundleName"), &readName);
    EXPECT_STREQ(readName, plan.name.c_str());
    free(readName);
    plist_free(root);
}

TEST(WebAppBundlePlan, stubJSONHoldsTheFiveMembersSorted)
{
    WebAppBundlePlan plan("Mail \"Box\"", "mail-box", "https://m.example", "app.quorvane.web.mail-box",
        *UUID::parse("8a1ad1bc-a138-5746-83c2-a57b68bfd938"), "/Apps");
    EXPECT_EQ(plan.stubJSON(),
        "{\"bundleIdentifier\":\"app.quorvane.web.mail-box\","
        "\"dataStoreIdentifier\":\"8A1AD1BC-A138-5746-83C2-A57B68BFD938\","
        "\"name\":\"Mail \\\"Box\\\"\",\"slug\":\"mail-box\",\"url\":\"https://m.example\"}");
}

// A name from a hand-edited config must never lead a writer or remover outside the web-apps folder.
TEST(WebAppName, refusesNamesThatCouldLeaveTheFolder)
{
    const std::string message = "A web app name cannot contain / or a control character, or start with a dot.";
    using namespace std::string_literals;
    for (std::string name : { "../Slack"s, "../../Documents/x"s, "/etc"s, "a/b"s, "."s, ".."s, ".hidden"s, "nul\0name"s,
             "line\nbreak"s, "tab\tname"s, "del\x7f"s, "c1\u0085"s }) {
        EXPECT_FALSE(WebAppName::isSafe(name)) << name;
        expectUsageError([&] { WebAppName::bundlePath("/Apps", name); }, message);
        expectUsageError([&] { WebAppBundlePlan(name, "s", "https://x", "b", UUID {}, "/Apps"); }, message);
    }
    expectUsageError([] { WebAppName::requireSafe(""); }, "A web app needs a name.");
    for (std::string name : { "Mail", "My Mail.app", "x..y", "Café", "a\\b" })
        EXPECT_TRUE(WebAppName::isSafe(name)) << name;
}

TEST(WebAppName, bundlePathsMustEndInASafeAppFolder)
{
    for (std::string path : { "/h/Apps/Mail.app", "Mail.app", "/h//Apps/Mail.app" })
        EXPECT_NO_THROW(WebAppName::requireSafeBundlePath(path)) << path;
    for (std::string path : { "/h/Apps/../Slack.app", "/h/Apps/./Mail.app", "/h/Apps/.app", "/h/Apps/Mail",
             "/h/Apps/.Mail.app", "/h/Apps/Mail.app/", "", "/" })
        EXPECT_THROW(WebAppName::requireSafeBundlePath(path), QuorvaneError) << path;
}

} // namespace
} // namespace quorvane
