#include "WebApps/NavigationPolicy.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using namespace NavigationPolicy;

const std::string app = "https://mail.example.com/inbox";

struct LinkCase {
    std::string target;
    bool newWindow;
    bool mainFrame;
    LinkActivation activation;
    LinkDecision expected;
};

constexpr auto click = LinkActivation::userLink;
constexpr auto script = LinkActivation::scriptOrRedirect;

TEST(NavigationPolicy, decideLinkFollowsItsRulesInOrder)
{
    using enum LinkDecision;
    const LinkCase cases[] = {
        // Blank pop-ups wait for their first real address; blank in place just loads.
        { "about:blank", true, true, click, deferPopup },
        { "  ", true, true, script, deferPopup },
        { "about:blank", false, true, click, loadInPlace },
        // Targets without a scheme stay.
        { "https://exa mple.com", false, true, click, loadInPlace },
        // The page engine's own schemes.
        { "javascript:void(0)", false, true, click, loadInPlace },
        { "blob:https://mail.example.com/1", true, true, click, openPopup },
        // Other schemes go to the system.
        { "mailto:someone@example.com", false, true, click, openExternally },
        { "tel:+123", false, false, script, openExternally },
        // Local files open elsewhere only on a click; a script or redirect never gets one opened.
        { "file:///Users/me/Downloads/run.command", false, true, click, openExternally },
        { "file:///Users/me/Downloads/run.command", false, true, script, loadInPlace },
        { "FILE:///tmp/x", true, false, script, loadInPlace },
        // Web addresses.
        { "https://ads.other.com/frame", false, false, click, loadInPlace },
        { "https://other.com/", true, true, click, openPopup },
        { "https://other.com/", false, true, click, openExternally },
        { "https://other.com/", false, true, script, loadInPlace },
        { "https://accounts.google.com/o/signin", false, true, click, loadInPlace },
        { "https://www.mail.example.com/settings", false, true, click, loadInPlace },
        { " https://MAIL.example.com/x \n", false, true, click, loadInPlace },
        { "https://sub.mail.example.com/", false, true, click, openExternally },
    };
    for (const LinkCase& row : cases)
        EXPECT_EQ(decideLink(app, row.target, row.newWindow, row.mainFrame, row.activation), row.expected)
            << row.target << " newWindow=" << row.newWindow << " mainFrame=" << row.mainFrame
            << " script=" << (row.activation == script);
}

TEST(NavigationPolicy, signInNavigationsAreRecognised)
{
    for (std::string text : { "https://WWW.accounts.youtube.com/x", "https://github.com/login",
             "https://github.com/SESSIONS", "https://gist.github.com/sessions/two-factor",
             "https://example.com/oauth2/start", "https://example.com/v1/Authorize",
             "https://example.com/cb?Client_ID=abc", "https://example.com/cb?response%5Ftype=code" })
        EXPECT_TRUE(isAuthNavigation(text)) << text;
    for (std::string text : { "https://github.com/loginx", "https://github.com/someone/login",
             "https://notgithub.com/login", "https://example.com/cb?client=1&state=2", "https://example.com/login",
             "mailto:accounts.google.com", "not a url", "" })
        EXPECT_FALSE(isAuthNavigation(text)) << text;
}

TEST(NavigationPolicy, popupFollowUps)
{
    using enum PopupFollowUp;
    const std::pair<std::string, PopupFollowUp> cases[] = {
        { "about:blank#x", waiting },
        { "about:srcdoc", waiting },
        { "/relative", waiting },
        { "https://pay.example.com", keep },
        { "blob:https://x/1", keep },
        { "mailto:a@b.c", openExternally },
        // A script cannot hand a local file to another application through a pop-up either.
        { "file:///Users/me/Downloads/run.command", waiting },
    };
    for (const auto& [target, expected] : cases)
        EXPECT_EQ(decidePopupNavigation(app, target), expected) << target;
}

TEST(NavigationPolicy, blankAndOffSiteChecks)
{
    for (std::string text : { "", "about:blank", "ABOUT:BLANK/", "about:blank?x", "about:blank#top" })
        EXPECT_TRUE(isBlankNavigation(text)) << text;
    for (std::string text : { " ", "about:blankx", "about:srcdoc", "https://x" })
        EXPECT_FALSE(isBlankNavigation(text)) << text;
    // An app address without a host never makes a link off-site.
    EXPECT_FALSE(isOffSite("not a url", "https://other.com"));
}

TEST(NavigationPolicy, onlyRealHandlersOfNonEngineSchemesAreOfferedToTheSystem)
{
    int asked = 0;
    auto yes = [&](std::string_view) {
        ++asked;
        return true;
    };
    for (std::string url :
        { "about:blank", "javascript:x", "relative/path", ":nothing", "file:///tmp/a.pdf", "File:///tmp/a.command" })
        EXPECT_FALSE(shouldOfferToSystem(url, yes)) << url;
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(shouldOfferToSystem("zoommtg://join", yes));
    EXPECT_FALSE(shouldOfferToSystem("unknown:thing", [](std::string_view) { return false; }));
}

TEST(NavigationPolicy, badgeCountsComeFromParenthesesAtEitherEnd)
{
    const std::pair<std::string, std::optional<int64_t>> cases[] = {
        { "(12) Inbox", 12 },
        { "Inbox (3)  ", 3 },
        { "(1) Inbox (2)", 1 },
        { "Inbox", std::nullopt },
        { "Inbox (3) of mine", std::nullopt },
        { " (4) Inbox", std::nullopt },
        { "(99999999999999999999) Inbox", std::nullopt },
        { "()", std::nullopt },
    };
    for (const auto& [title, expected] : cases)
        EXPECT_EQ(badgeCount(title), expected) << title;
}

TEST(NavigationPolicy, downloadNamesCannotNameFoldersOrBreakLines)
{
    const std::pair<std::string, std::string> cases[] = {
        { "report 1/2: final.pdf", "report 1-2- final.pdf" },
        { "  notes.txt\n", "notes.txt" },
        { "a\rb\u2028c\u0085d", "a-b-c-d" },
        { " \t ", "download" },
        { "..", "download" },
        { ".", "download" },
        { "../x", "..-x" },
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(safeDownloadName(name), expected) << name;
}

TEST(NavigationPolicy, autofillScriptIsBundled)
{
    EXPECT_NE(passwordAutofillPreparationScript().find("current-password"), std::string::npos);
}

} // namespace
} // namespace quorvane
