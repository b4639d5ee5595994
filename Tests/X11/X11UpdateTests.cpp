// Update checks in the real `quorvane-app`: the feed named by QUORVANE_UPDATE_FEED is fetched on a worker
// thread at launch, its newer release and "Check for Updates…" show in the tray menu, and a failed check
// asked for from the menu leads the menu with why.
#include "Support/QuorvaneVersion.h"
#include "TestSupport/LocalHTTPServer.h"
#include "X11/TestTrayHost.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <csignal>

namespace quorvane {
namespace {

using namespace test;

TEST(X11Updates, TheFeedInTheEnvironmentIsCheckedAndAnsweredInTheMenu)
{
    VirtualDesktop desktop;
    LocalHTTPServer server({ { "/feed.json", { 200, R"({"version": "99.0", "url": "https://example.com/get"})" } } });
    TestTrayHost host;
    writeConfig(configWith({ "onboarding_complete = true" }));
    std::unique_ptr<ChildProcess> app = startApp({ "QUORVANE_UPDATE_FEED=" + server.url("/feed.json") });
    auto labels = [&] {
        std::optional<TrayMenuItem> menu = host.menu();
        return menu ? menu->labels() : std::vector<std::string> {};
    };
    const std::vector<std::string> tail { "-", "Quorvane 99.0 is available", "About Quorvane", "Check for Updates…",
        "-", "Quit Quorvane" };
    EXPECT_TRUE(eventually([&] {
        std::vector<std::string> shown = labels();
        return shown.size() > tail.size() && std::equal(tail.begin(), tail.end(), shown.end() - tail.size());
    })) << testing::PrintToString(labels());
    std::optional<std::string> request = server.waitForRequest("/feed.json", std::chrono::seconds(1));
    ASSERT_TRUE(request);
    EXPECT_NE(request->find("\r\nUser-Agent: Quorvane/" + std::string(QuorvaneVersion::current) + "\r\n"),
        std::string::npos);
    // The tool forwards `doctor` to the application, which names its feed.
    EXPECT_NE(runTool({ "doctor" }).output.find("[pass] updates: Quorvane looks for a new version at "
                  + server.url("/feed.json") + " once a day."),
        std::string::npos);

    server.route("/feed.json", { 500, "" });
    EXPECT_TRUE(host.click("Check for Updates…"));
    const std::string failed = "Quorvane could not check for updates. The update server answered with HTTP status 500.";
    EXPECT_TRUE(eventually([&] { return !labels().empty() && labels().front() == failed; }))
        << testing::PrintToString(labels());

    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

} // namespace
} // namespace quorvane
