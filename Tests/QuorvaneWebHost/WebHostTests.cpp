// The web host in a real engine: each test installs a web app whose start page comes from a local HTTP
// server, runs its host on a private desktop, clicks with XTest where a test page asks for it, and watches
// what the server is asked for, what the default handler receives and what is said on the session bus.
#include "ChildProcess.h"
#include "TestDesktop.h"
#include "TestSupport/LocalHTTPServer.h"

#include "Configuration/QuorvanePaths.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebBundleWriter.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::LocalHTTPServer;
using test::Reply;
using test::TestDesktop;

constexpr auto loadLimit = 30s;

// A link over the whole window, so that a click anywhere inside the window follows it.
std::string wholePageLink(const std::string& href, const std::string& attributes = "")
{
    return "<a href=\"" + href + "\" " + attributes
        + " style=\"display:block;position:fixed;left:0;top:0;width:100%;height:100%\">Follow</a>";
}

// A page that asks for `ready` once it has been laid out and painted, then runs `script`.
std::string page(const std::string& ready, const std::string& body, const std::string& script = "",
    const std::string& title = "Test page")
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title
        + "</title></head><body style=\"margin:0\">" + body + "<script>addEventListener('load', () => "
        + "requestAnimationFrame(() => requestAnimationFrame(() => fetch('" + ready + "').then(() => {" + script
        + "}))));</script></body></html>";
}

Reply html(std::string body, std::string headers = "")
{
    return { 200, std::move(body), "Content-Type: text/html; charset=utf-8\r\n" + headers };
}

class WebHost : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_desktop = new TestDesktop();
        s_server = new LocalHTTPServer({});
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        delete s_desktop;
    }

    // Installs the web app `name` starting at `path` on the test server, with the freshly built host.
    static std::string install(const std::string& name, const std::string& path)
    {
        std::string slug = slugify(name);
        std::string identifier = bundleIdentifier(slug);
        WebAppBundlePlan plan(name, slug, s_server->url(path), identifier,
            StableIdentity::dataStoreIdentifier(identifier), s_desktop->paths().appsDirectory());
        WebBundleWriter([](const std::vector<std::string>&) {}).install(plan, std::string(QUORVANE_WEB_HOST), "");
        return plan.bundlePath;
    }

    static std::unique_ptr<ChildProcess> start(const std::string& bundlePath)
    {
        return std::make_unique<ChildProcess>(std::vector<std::string> { webHostExecutable(bundlePath) },
            s_desktop->environment(), s_desktop->logFile("host"));
    }

    static bool requested(const std::string& target) { return s_server->waitForRequest(target, loadLimit).has_value(); }

    static TestDesktop* s_desktop;
    static LocalHTTPServer* s_server;
};

TestDesktop* WebHost::s_desktop = nullptr;
LocalHTTPServer* WebHost::s_server = nullptr;

struct NavigationCase {
    std::string name;
    // The start page's body and script; "@" stands for the other site's address of the same server.
    std::string body;
    std::string script;
    bool click;
    // What the server is asked for once the decision is made, or what the default handler receives.
    std::string loadsInPlace;
    std::string handsOut;
};

std::string withOtherSite(std::string text, const LocalHTTPServer& server)
{
    for (size_t at; (at = text.find('@')) != std::string::npos;)
        text.replace(at, 1, server.otherSiteURL(""));
    return text;
}

TEST_F(WebHost, navigationsFollowThePolicyInTheEngine)
{
    const std::vector<NavigationCase> cases = {
        { "in-site click", wholePageLink("/in-site/next"), "", true, "/in-site/next", "" },
        { "off-site click", wholePageLink("@/off-site/next"), "", true, "", "@/off-site/next" },
        { "off-site script", "", "location = '@/script/next';", false, "/script/next", "" },
        { "sign-in click", wholePageLink("@/signin?client_id=app&redirect_uri=x"), "", true,
            "/signin?client_id=app&redirect_uri=x", "" },
        { "pop-up",
            wholePageLink("#", "onclick=\"window.open('about:blank').location = '@/pop-up/next'; return false\""), "",
            true, "/pop-up/next", "" },
        { "mail link", wholePageLink("mailto:team@example.com"), "", true, "", "mailto:team@example.com" },
        { "file by script", "", "location = 'file:///etc/hostname'; setTimeout(() => fetch('/file/after'), 1000);",
            false, "/file/after", "" },
    };
    for (const NavigationCase& row : cases) {
        SCOPED_TRACE(row.name);
        std::string slug = slugify(row.name);
        std::string ready = "/" + slug + "/ready";
        s_server->route("/" + slug + "/start",
            html(page(ready, withOtherSite(row.body, *s_server), withOtherSite(row.script, *s_server))));
        std::string bundle = install("Nav " + row.name, "/" + slug + "/start");
        std::unique_ptr<ChildProcess> host = start(bundle);
        ASSERT_TRUE(requested(ready));
        if (row.click)
            s_desktop->click(400, 300);
        if (!row.loadsInPlace.empty()) {
            EXPECT_TRUE(requested(withOtherSite(row.loadsInPlace, *s_server)));
        }
        if (!row.handsOut.empty()) {
            std::string address = withOtherSite(row.handsOut, *s_server);
            EXPECT_TRUE(s_desktop->waitFor(&TestDesktop::handedOut, address, 20));
            std::string target = address.substr(std::min(address.size(), s_server->otherSiteURL("").size()));
            EXPECT_FALSE(s_server->waitForRequest(target, 500ms)) << "loaded in place as well";
        }
        host->stop();
    }
    EXPECT_EQ(s_desktop->handedOut().find("file:"), std::string::npos) << "a local file was handed out";
}

// A pop-up the page gives no size (a target="_blank" link) gets a usable window, not WebKit's smallest one, and
// the title of its page.
TEST_F(WebHost, aPopUpWithoutASizeGetsAUsableWindowAndItsPagesTitle)
{
    s_server->route("/blank/start", html(page("/blank/ready", wholePageLink("/blank/next", "target=\"_blank\""))));
    s_server->route("/blank/next", html(page("/blank/next-ready", "", "", "The next page")));
    auto host = start(install("Blank Target", "/blank/start"));
    ASSERT_TRUE(requested("/blank/ready"));
    s_desktop->click(400, 300);
    ASSERT_TRUE(requested("/blank/next-ready"));
    auto popUpSize = [&] {
        std::istringstream lines(s_desktop->windowSizes());
        int smallest = 0;
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count) {
            int width = std::stoi(line);
            smallest = count == 0 ? width : std::min(smallest, width);
        }
        return count >= 2 ? smallest : 0;
    };
    EXPECT_TRUE(test::waitUntil([&] { return popUpSize() >= 800; }, 20)) << s_desktop->windowSizes();
    // Its title is its page's, as the main window's is.
    EXPECT_TRUE(s_desktop->waitFor(&TestDesktop::windowTitles, "The next page\n", 20)) << s_desktop->windowTitles();
}

TEST_F(WebHost, eachWebAppKeepsItsOwnCookies)
{
    s_server->route("/cookies/set", html(page("/cookies/set-ready", ""), "Set-Cookie: visit=kept; Max-Age=86400\r\n"));
    s_server->route("/cookies/check", html(page("/cookies/check-ready", "")));
    std::string first = install("Cookie Jar", "/cookies/set");
    {
        auto host = start(first);
        ASSERT_TRUE(requested("/cookies/set-ready"));
    }

    // Same web app, another start page: the bundle is rewritten, the data store stays.
    std::string again = install("Cookie Jar", "/cookies/check");
    ASSERT_EQ(again, first);
    {
        auto host = start(again);
        auto head = s_server->waitForRequest("/cookies/check", loadLimit);
        ASSERT_TRUE(head);
        EXPECT_NE(head->find("visit=kept"), std::string::npos) << *head;
        ASSERT_TRUE(requested("/cookies/check-ready"));
    }
    s_server->route("/cookies/other", html(page("/cookies/other-ready", "")));
    auto host = start(install("Other Jar", "/cookies/other"));
    auto head = s_server->waitForRequest("/cookies/other", loadLimit);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->find("visit=kept"), std::string::npos) << *head;
}

TEST_F(WebHost, badgesAndNotificationsReachTheSessionBus)
{
    s_server->route("/inbox/start",
        html(page(
            "/inbox/ready", "", "new Notification('Three new letters', { body: 'From the test' });", "(3) Inbox")));
    auto host = start(install("Inbox", "/inbox/start"));
    ASSERT_TRUE(requested("/inbox/ready"));
    EXPECT_TRUE(s_desktop->waitFor(&TestDesktop::busTraffic, "com.canonical.Unity.LauncherEntry", 20));
    std::string traffic = s_desktop->busTraffic();
    size_t badge = traffic.find("member=Update");
    ASSERT_NE(badge, std::string::npos) << traffic;
    EXPECT_NE(traffic.find("int64 3", badge), std::string::npos) << traffic.substr(badge, 600);
    EXPECT_NE(traffic.find("application://app.quorvane.web.inbox.desktop", badge), std::string::npos);
    EXPECT_TRUE(s_desktop->waitFor(&TestDesktop::busTraffic, "Three new letters", 20)) << s_desktop->busTraffic();
}

TEST_F(WebHost, downloadsGetSafeNamesAndNeverOverwrite)
{
    Reply file { 200, "saved bytes",
        "Content-Type: application/octet-stream\r\n"
        "Content-Disposition: attachment; filename=\"report:2024.txt\"\r\n" };
    s_server->route("/downloads/file", file);
    s_server->route("/downloads/start",
        html(page(
            "/downloads/ready", "<iframe src=\"/downloads/file\"></iframe><iframe src=\"/downloads/file\"></iframe>")));
    auto host = start(install("Downloads", "/downloads/start"));
    ASSERT_TRUE(requested("/downloads/ready"));
    // The engine itself already turns ":" into "_" before the host sees the name; either way no separator
    // survives, and the second copy gets a number instead of replacing the first.
    std::string folder = s_desktop->home() + "/Downloads";
    std::set<std::string> names;
    test::waitUntil(
        [&] {
            names.clear();
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                names.insert(entry.path().filename().string());
            return names.size() == 2;
        },
        20);
    ASSERT_EQ(names.size(), 2u) << test::readFile(s_desktop->logFile("host"));
    std::string first = *std::min_element(
        names.begin(), names.end(), [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    EXPECT_EQ(first.find(':'), std::string::npos) << first;
    EXPECT_TRUE(names.contains(first.substr(0, first.size() - 4) + " (2).txt")) << first;
    for (const std::string& name : names)
        EXPECT_EQ(test::readFile(folder + "/" + name), "saved bytes") << name;
}

TEST_F(WebHost, opensWithoutASessionBus)
{
    s_server->route("/bare/start", html(page("/bare/ready", "", "document.title = '(2) Bare';")));
    std::map<std::string, std::string> bare = s_desktop->environment();
    bare.erase("DBUS_SESSION_BUS_ADDRESS");
    bare["XDG_RUNTIME_DIR"] = s_desktop->home();
    ChildProcess host({ webHostExecutable(install("Bare", "/bare/start")) }, bare, s_desktop->logFile("bare"));
    EXPECT_TRUE(requested("/bare/ready"));
    EXPECT_EQ(host.waitForExit(1), -1) << test::readFile(s_desktop->logFile("bare"));
}

TEST_F(WebHost, aSecondStartPresentsTheRunningWindow)
{
    s_server->route("/single/start", html(page("/single/ready", "<h1>Quorvane web app</h1><p>A local test page.</p>")));
    std::string bundle = install("Single", "/single/start");
    auto host = start(bundle);
    ASSERT_TRUE(requested("/single/ready"));
    auto second = start(bundle);
    EXPECT_EQ(second->waitForExit(20), 0);
    EXPECT_EQ(host->waitForExit(0), -1) << "the first instance ended";
    s_desktop->screenshot(std::string(QUORVANE_TEST_OUTPUT) + "/webhost-window.png");
}

} // namespace
} // namespace quorvane
