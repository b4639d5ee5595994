#include "Configuration/QuorvaneConfig.h"
#include "Support/QuorvaneError.h"
#include "WebApps/InternationalAddress.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebAppName.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using namespace std::string_literals;

void expectUsageError(const std::function<void()>& action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "expected the usage error: " << message;
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(std::make_pair(error.code(), error.exitCode()), std::make_pair("usage"s, 1));
        EXPECT_EQ(error.message(), message);
    }
}

WebAppRecord record(const std::string& slug, const std::string& name, const std::string& url)
{
    return { slug, { url, name, bundleIdentifier(slug) } };
}

TEST(WebAppBundlePlan, webAddressesAreAcceptedAsTypedButTrimmed)
{
    EXPECT_EQ(validatedWebURL("  https://mail.example.com/inbox \n"), "https://mail.example.com/inbox");
    EXPECT_EQ(validatedWebURL("HTTP://Example.com"), "HTTP://Example.com");
    for (std::string text : { "mailto:someone@example.com", "https:example.com", "https://", "ftp://example.com",
             "example.com", "", " https://exa mple.com", "file:///etc/passwd" })
        expectUsageError(
            [&] { validatedWebURL(text); }, "\u201C" + text + "\u201D needs to be an http or https address.");
}

// As copied from a browser's address bar.
TEST(WebAppBundlePlan, addressesInAnyScriptAreKeptInTheirNetworkForm)
{
    const std::pair<std::string, std::string> accepted[] = {
        { "https://bücher.de/", "https://xn--bcher-kva.de/" },
        { "https://de.wikipedia.org/wiki/Köln", "https://de.wikipedia.org/wiki/K%C3%B6ln" },
        { " https://ü:p@Bücher.DE:8443/ä?q=ü#ö ", "https://%C3%BC:p@xn--bcher-kva.de:8443/%C3%A4?q=%C3%BC#%C3%B6" },
        { "http://東京.jp", "http://xn--1lqs71d.jp" },
    };
    for (const auto& [typed, stored] : accepted)
        EXPECT_EQ(validatedWebURL(typed), stored) << typed;
    for (std::string text : { "https://bü cher.de/", "https://bü..de/", "https:bücher.de", "ftp://bücher.de",
             "bücher.de", "https://a\u200Db.de/" })
        expectUsageError(
            [&] { validatedWebURL(text); }, "\u201C" + text + "\u201D needs to be an http or https address.");

    EXPECT_EQ(InternationalAddress::unicodeHost("xn--bcher-kva.de"), "bücher.de");
    EXPECT_EQ(InternationalAddress::unicodeHost("example.com"), "example.com");
    EXPECT_EQ(InternationalAddress::unicodeHost("xn--.de"), "xn--.de");
}

TEST(WebAppBundlePlan, slugsKeepLettersAndNumbersOfAnyScript)
{
    const std::pair<std::string, std::string> cases[] = { { "My Mail!", "my-mail" }, { "!!!", "app" }, { "", "app" },
        { "--Slack--", "slack" }, { "Café  Crème", "café-crème" }, { "東京 メール", "東京-メール" },
        { "a\u0301b 2", "a\u0301b-2" }, { "Mail 🙂 Box", "mail-box" } };
    for (const auto& [name, slug] : cases)
        EXPECT_EQ(slugify(name), slug) << name;
}

TEST(WebAppBundlePlan, plansFromOneRecordAreEqualAndTheDataStoreFollowsTheIdentifierOnly)
{
    WebAppRecord mail = record("my-mail", "My Mail", "https://mail.example.com");
    WebAppBundlePlan plan = WebAppBundlePlan::forRecord(mail, "/h/Apps/");
    EXPECT_EQ(plan, WebAppBundlePlan::forRecord(mail, "/h/Apps/"));
    EXPECT_EQ(plan.dataStoreIdentifier,
        WebAppBundlePlan::forRecord(record("my-mail", "Other", "https://other.example"), "/A").dataStoreIdentifier);
    // Computed independently as uuid5(namespace, "app.quorvane.web.my-mail").
    EXPECT_EQ(plan.dataStoreIdentifier.uuidString(), "8A1AD1BC-A138-5746-83C2-A57B68BFD938");
    EXPECT_EQ(plan.bundlePath, "/h/Apps/My Mail.app");
}

TEST(WebAppBundlePlan, infoPlistFollowsTheTemplateWithEscapedValues)
{
    WebAppBundlePlan plan("Tom & Jerry's <\"Mail\">", "tom", "https://x.example/?a=1&b=2", "app.quorvane.web.tom",
        *UUID::parse("8a1ad1bc-a138-5746-83c2-a57b68bfd938"), "/Apps");
    const std::string name = "Tom &amp; Jerry's &lt;&quot;Mail&quot;&gt;";
    EXPECT_EQ(plan.infoPlist(),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n"
        "  <key>CFBundleDevelopmentRegion</key><string>en</string>\n"
        "  <key>CFBundleExecutable</key><string>QuorvaneWebHost</string>\n"
        "  <key>CFBundleIconFile</key><string>AppIcon</string>\n"
        "  <key>CFBundleIdentifier</key><string>app.quorvane.web.tom</string>\n"
        "  <key>CFBundleInfoDictionaryVersion</key><string>6.0</string>\n"
        "  <key>CFBundleName</key><string>"
            + name + "</string>\n  <key>CFBundleDisplayName</key><string>" + name
            + "</string>\n  <key>CFBundlePackageType</key><string>APPL</string>\n"
              "  <key>CFBundleShortVersionString</key><string>1.0.1</string>\n"
              "  <key>CFBundleVersion</key><string>1</string>\n"
              "  <key>LSMinimumSystemVersion</key><string>14.0</string>\n"
              "  <key>NSHighResolutionCapable</key><true/>\n"
              "  <key>NSPrincipalClass</key><string>NSApplication</string>\n"
              "  <key>QVSlug</key><string>tom</string>\n"
              "  <key>QVURL</key><string>https://x.example/?a=1&amp;b=2</string>\n"
              "  <key>QVDataStoreUUID</key><string>8A1AD1BC-A138-5746-83C2-A57B68BFD938</string>\n"
              "</dict>\n</plist>");

    EXPECT_EQ(plan.stubJSON(),
        "{\"bundleIdentifier\":\"app.quorvane.web.tom\",\"dataStoreIdentifier\":\"8A1AD1BC-A138-5746-83C2-"
        "A57B68BFD938\",\"name\":\"Tom & Jerry's "
        "<\\\"Mail\\\">\",\"slug\":\"tom\",\"url\":\"https://x.example/?a=1&b=2\"}");
}

// A name from a hand-edited config must never lead a writer or remover outside the web-apps folder.
TEST(WebAppName, namesThatCouldLeaveTheFolderAreRefused)
{
    const std::string message = "A web app name cannot contain / or a control character, or start with a dot.";
    for (std::string name : { "../Slack"s, "../../Documents/x"s, "/etc"s, "a/b"s, "."s, ".."s, ".hidden"s, "nul\0name"s,
             "line\nbreak"s, "del\x7f"s, "c1\u0085"s }) {
        expectUsageError([&] { WebAppName::bundlePath("/Apps", name); }, message);
        expectUsageError([&] { WebAppBundlePlan(name, "s", "https://x", "b", UUID {}, "/Apps"); }, message);
    }
    expectUsageError([] { WebAppName::requireSafe(""); }, "A web app needs a name.");
    for (std::string name : { "Mail", "My Mail.app", "x..y", "Café", "a\\b" })
        EXPECT_TRUE(WebAppName::isSafe(name)) << name;

    for (std::string path : { "/h/Apps/Mail.app", "Mail.app", "/h//Apps/Mail.app" })
        EXPECT_NO_THROW(WebAppName::requireSafeBundlePath(path)) << path;
    for (std::string path :
        { "/h/Apps/../Slack.app", "/h/./Mail.app", "/h/.app", "/h/Mail", "/h/.M.app", "/h/M.app/", "" })
        EXPECT_THROW(WebAppName::requireSafeBundlePath(path), QuorvaneError) << path;
}

// One rule for a new app's name and a renamed one's: what the error code is, or "" when the name may be taken.
TEST(WebAppName, aNameIsAvailableOnceNoOtherAppHasIt)
{
    const std::vector<WebAppRecord> apps = { record("mail", "Mail", "https://mail.example.com"),
        record("caf", "Caf\u00e9", "https://cafe.example.com") };
    struct Case {
        std::string name, renaming, code;
    };
    const Case cases[] = {
        { "Notes", "", "" },
        { "MAIL", "", "conflict" },
        // The same name in the other Unicode form.
        { "Cafe\u0301", "", "conflict" },
        // Another app's slug: the two bundles would share one identifier.
        { "caf", "", "conflict" },
        { "mail", "mail", "" },
        { "Caf\u00e9", "mail", "conflict" },
        { "caf", "mail", "" },
        { "a/b", "mail", "usage" },
        { "Twelve bytes", "", "usage" },
    };
    for (const Case& c : cases) {
        std::string code;
        try {
            WebAppName::requireAvailable(c.name, 11, apps, c.renaming);
        } catch (const QuorvaneError& error) {
            code = error.code();
        }
        EXPECT_EQ(code, c.code) << c.name << " renaming " << c.renaming;
    }
}

} // namespace
} // namespace quorvane
