// Update checks against a local HTTP server: the daily check on a worker and its stamp, "Check for Updates…"
// with its answer in the banner, and the newer release's line in the tray menu.
#include "AppTesting.h"

#include "Platforms/GLib/GLibWorkerPool.h"
#include "QuorvaneApp/Updates/UpdateChecker.h"
#include "QuorvaneApp/Views/StatusMenu.h"
#include "Support/QuorvaneVersion.h"
#include "TestSupport/LocalHTTPServer.h"
#include "Updates/UpdateStamp.h"

#include <algorithm>
#include <set>

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using test::Reply;

const std::string releaseURL = "https://example.com/quorvane/releases";

Reply feed(const std::string& version, const std::string& extra = "")
{
    return { 200, R"({"version": ")" + version + R"(", "url": ")" + releaseURL + "\"" + extra + "}" };
}

class UpdateCheckTest : public test::AppTest {
protected:
    test::LocalHTTPServer server { {} };
    SimulatedStatusItem& item = desktop.statusItem;
    const std::string available = "Quorvane 99.0 is available";

    UpdateCheckTest()
    {
        environment.updateFeed = server.url("/feed.json");
        environment.fetchLimits = { 400ms, 200ms, 4096, 8192 };
        // The wall clock moves with the virtual one.
        environment.wallClock = [this] { return fixedWallClock + desktop.loop.now(); };
    }

    void serve(Reply reply) { server.route("/feed.json", std::move(reply)); }

    // Starts the application and finishes launching, with the answer of a check that launching started.
    void launch(bool checkForUpdates = true)
    {
        startWith(test::configText({ { "check_for_updates", checkForUpdates ? "true" : "false" } }));
        model->finishLaunch();
        settle();
    }

    void settle() { desktop.loop.runPending(); }

    bool choose(const std::string& label)
    {
        bool found = item.choose(label);
        settle();
        return found;
    }

    long feedRequests() const
    {
        std::vector<std::string> heads = server.requests();
        return std::count_if(heads.begin(), heads.end(),
            [](const std::string& head) { return test::requestTarget(head) == "/feed.json"; });
    }

    GeneralConfig withChecks(bool on)
    {
        GeneralConfig general = model->config().general;
        general.checkForUpdates = on;
        return general;
    }
};

TEST_F(UpdateCheckTest, ANewerReleaseShowsItsLineWhichOpensItsAddress)
{
    serve(feed("99.0"));
    launch();
    EXPECT_EQ(feedRequests(), 1);
    EXPECT_EQ(item.labels(), (std::vector<std::string> { "Tile Mode (ctrl+opt+space)", "Layouts", "Web Apps", "-",
                                 available, "About Quorvane", "Check for Updates…", "-", "Quit Quorvane" }));
    // A daily check that finds something says so in the menu, not in the banner.
    EXPECT_EQ(model->banner(), "");
    EXPECT_TRUE(choose(available));
    EXPECT_EQ(desktop.applications.openedURLs(), std::vector<std::string> { releaseURL });
    EXPECT_EQ(UpdateStamp::load(paths().updateStampFile()),
        (UpdateStamp { fixedWallClock, UpdateRelease { "99.0", releaseURL } }));

    // The next start announces it from the stamp, without asking the server again.
    model.reset();
    launch();
    EXPECT_EQ(feedRequests(), 1);
    EXPECT_TRUE(item.find(available));
}

TEST_F(UpdateCheckTest, CheckForUpdatesAnswersInTheBannerAndBadFeedsAreFailedChecks)
{
    launch(false);
    EXPECT_EQ(feedRequests(), 0);
    const std::string failed = "Quorvane could not check for updates. ";
    struct Case {
        std::string name;
        Reply reply;
        std::string banner;
    };
    const Case cases[] = {
        { "not JSON", { 200, "<html><body>1.2.0</body></html>" }, failed + "The update feed is not JSON." },
        { "no version", { 200, R"({"url": ")" + releaseURL + "\"}" }, failed + "The update feed names no version." },
        { "pre-release", feed("99.0-beta"), failed + "The update feed's version is not a release number such as 1.2.0." },
        { "error", { 500, R"({"version": "99.0", "url": ")" + releaseURL + "\"}" },
            failed + "The update server answered with HTTP status 500." },
        { "10 MB", feed("99.0", ", \"pad\": \"" + std::string(10 * 1024 * 1024, 'x') + "\""),
            failed + "The update feed is too large." },
        { "never answers", { .silent = true }, failed + "The update server did not answer in time." },
        { "same version", feed(QuorvaneVersion::current), "Quorvane is up to date." },
    };
    for (const Case& c : cases) {
        serve(c.reply);
        auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(choose("Check for Updates…")) << c.name;
        // Generous: the limits add up to 0.6 seconds.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << c.name;
        EXPECT_EQ(model->banner(), c.banner) << c.name;
        EXPECT_EQ(model->bannerIsSuccess(), c.name == "same version") << c.name;
        EXPECT_FALSE(item.find(available)) << c.name;
    }

    serve(feed("99.0"));
    EXPECT_TRUE(choose("Check for Updates…"));
    EXPECT_EQ(model->banner(), "Quorvane 99.0 is available.");
    EXPECT_TRUE(item.find(available));
    // A failed check leaves the release found before it announced.
    serve({ 500, "" });
    EXPECT_TRUE(choose("Check for Updates…"));
    EXPECT_TRUE(item.find(available));
}

TEST_F(UpdateCheckTest, TheRequestCarriesTheVersionAndNothingElse)
{
    // A redirect that sets a cookie: the next request must not send it back.
    server.route("/feed.json", { 302, "", "Location: /release.json\r\nSet-Cookie: visitor=42\r\n" });
    server.route("/release.json", feed(QuorvaneVersion::current));
    launch();
    std::vector<std::string> heads = server.requests();
    ASSERT_EQ(heads.size(), 2u);
    const std::set<std::string> plainHeaders { "Host", "User-Agent", "Accept", "Accept-Encoding" };
    for (const std::string& head : heads) {
        EXPECT_TRUE(head.starts_with("GET /feed.json HTTP/1.1\r\n") || head.starts_with("GET /release.json HTTP/1.1\r\n"))
            << head;
        EXPECT_NE(head.find("\r\nUser-Agent: Quorvane/" + std::string(QuorvaneVersion::current) + "\r\n"),
            std::string::npos)
            << head;
        for (size_t line = head.find("\r\n") + 2; line < head.size() && head.compare(line, 2, "\r\n") != 0;) {
            size_t end = head.find("\r\n", line);
            std::string name = head.substr(line, head.find(':', line) - line);
            EXPECT_TRUE(plainHeaders.contains(name)) << name << " in " << head;
            line = end + 2;
        }
    }
    EXPECT_EQ(model->updater()->available(), std::nullopt);
}

TEST_F(UpdateCheckTest, AStartWithinADayOfTheLastCheckDoesNotCheck)
{
    serve(feed(QuorvaneVersion::current));
    launch();
    EXPECT_EQ(feedRequests(), 1);
    model.reset();
    launch();
    EXPECT_EQ(feedRequests(), 1);

    struct Case {
        std::string name;
        std::string stamp;
        bool checks;
    };
    const std::string checkedAt = "{\"checked\": ";
    const Case cases[] = {
        { "a day less a second ago", checkedAt + std::to_string(fixedWallClock - UpdateStamp::interval + 1) + "}", false },
        { "a day ago", checkedAt + std::to_string(fixedWallClock - UpdateStamp::interval) + "}", true },
        { "tomorrow, by a clock put back since", checkedAt + std::to_string(fixedWallClock + 3600) + "}", true },
        { "not a stamp", "{\"checked\": \"soon\"}", true },
    };
    for (const Case& c : cases) {
        model.reset();
        test::writeFile(paths().updateStampFile(), c.stamp);
        long before = feedRequests();
        launch();
        EXPECT_EQ(feedRequests(), before + (c.checks ? 1 : 0)) << c.name;
    }
}

TEST_F(UpdateCheckTest, TurningChecksOffStopsTheDailyCheckAtOnce)
{
    serve(feed(QuorvaneVersion::current));
    launch();
    ASSERT_TRUE(model->updater()->enabled());
    size_t timers = desktop.loop.timerCount();

    model->setGeneral(withChecks(false));
    EXPECT_FALSE(model->updater()->enabled());
    EXPECT_EQ(desktop.loop.timerCount(), timers - 1);

    // Hand edits of the file count the same.
    test::writeFile(configPath(), test::configText({ { "check_for_updates", "true" } }));
    model->configuration().reloadFromDisk();
    EXPECT_TRUE(model->updater()->enabled());
    EXPECT_EQ(desktop.loop.timerCount(), timers);
    test::writeFile(configPath(), test::configText({ { "check_for_updates", "false" } }));
    model->configuration().reloadFromDisk();
    EXPECT_FALSE(model->updater()->enabled());
    EXPECT_EQ(feedRequests(), 1);

    // Asking still checks.
    EXPECT_TRUE(choose("Check for Updates…"));
    EXPECT_EQ(feedRequests(), 2);
    EXPECT_EQ(model->banner(), "Quorvane is up to date.");
}

TEST_F(UpdateCheckTest, TheCheckRunsOnAWorkerAndOutlivesNothing)
{
    serve(feed("99.0"));
    desktop.workers.setQueued(true);
    launch();
    EXPECT_EQ(feedRequests(), 0);
    EXPECT_TRUE(model->updater()->checking());
    const StatusMenuItem* line = item.find("Checking for Updates…");
    ASSERT_TRUE(line);
    EXPECT_FALSE(line->enabled);

    desktop.workers.drain();
    EXPECT_EQ(feedRequests(), 1);
    settle();
    EXPECT_FALSE(model->updater()->checking());
    EXPECT_TRUE(item.find(available));
    EXPECT_TRUE(item.find("Check for Updates…")->enabled);

    // A check still queued when the application goes sends nothing and answers no one.
    EXPECT_TRUE(choose("Check for Updates…"));
    model.reset();
    desktop.workers.drain();
    settle();
    EXPECT_EQ(feedRequests(), 1);
}

TEST_F(UpdateCheckTest, WithoutAFeedTheMenuHasNoCheckAndDoctorNamesThePackageManager)
{
    serve(feed(QuorvaneVersion::current));
    launch();
    std::string feedURL = server.url("/feed.json");
    EXPECT_NE(model->handleRPC({ "doctor" }).message.find(
                  "[pass] updates: Quorvane looks for a new version at " + feedURL + " once a day.\n"),
        std::string::npos);
    model->setGeneral(withChecks(false));
    EXPECT_NE(model->handleRPC({ "doctor" }).message.find(
                  "[pass] updates: check_for_updates is off, so Quorvane does not look for new versions.\n"),
        std::string::npos);

    model.reset();
    environment.updateFeed.reset();
    launch();
    EXPECT_EQ(model->updater(), nullptr);
    EXPECT_FALSE(item.find("Check for Updates…"));
    EXPECT_NE(model->handleRPC({ "doctor" }).message.find(
                  "[pass] updates: Updates come from the package manager that installed Quorvane.\n"),
        std::string::npos);
    EXPECT_EQ(feedRequests(), 1);
}

TEST(UpdateChecker, ChecksOnceADayWhileOnAndAtOnceWhenTurnedOnAfterADay)
{
    test::LocalHTTPServer server({ { "/feed.json", feed("0.1") } });
    test::TemporaryFolder folder;
    SimulatedMainLoop loop;
    SimulatedWorkerPool workers;
    UpdateChecker checker(loop, workers,
        { server.url("/feed.json"), folder.file("update-check.json"), { 400ms, 200ms, 4096, 8192 },
            [&] { return test::AppTest::fixedWallClock + loop.now(); } });
    auto requests = [&] { return server.requests().size(); };
    const double day = UpdateStamp::interval;
    const double hour = UpdateChecker::pollInterval;

    checker.setEnabled(true);
    loop.runPending();
    EXPECT_EQ(requests(), 1u);
    loop.advance(day - hour - 1);
    EXPECT_EQ(requests(), 1u);
    // The first hourly look after the day is over checks.
    loop.advance(hour + 1);
    EXPECT_EQ(requests(), 2u);
    loop.advance(day);
    EXPECT_EQ(requests(), 3u);

    checker.setEnabled(false);
    EXPECT_EQ(loop.timerCount(), 0u);
    loop.advance(3 * day);
    EXPECT_EQ(requests(), 3u);
    checker.setEnabled(true);
    loop.runPending();
    EXPECT_EQ(requests(), 4u);
    EXPECT_EQ(UpdateStamp::load(folder.file("update-check.json")),
        (UpdateStamp { test::AppTest::fixedWallClock + loop.now(), std::nullopt }));
}

TEST(UpdateCheckerThreads, TheFetchRunsOnAWorkerThreadAndEndsWithTheChecker)
{
    test::LocalHTTPServer server({ { "/feed.json", feed("99.0") }, { "/silent", { .silent = true } } });
    test::TemporaryFolder folder;
    SimulatedMainLoop loop;
    // Far longer than the test waits.
    QuietSession::Limits patient { std::chrono::minutes(2), 1s, 4096, 8192 };
    auto settings = [&](const std::string& path) {
        return UpdateChecker::Settings { server.url(path), folder.file("update-check.json"), patient, [] { return 1.0; } };
    };
    auto start = std::chrono::steady_clock::now();
    {
        GLibWorkerPool workers;
        UpdateChecker checker(loop, workers, settings("/feed.json"));
        std::optional<UpdateCheckResult> answer;
        checker.checkNow([&](const UpdateCheckResult& result) {
            EXPECT_TRUE(loop.isMainThread());
            answer = result;
        });
        EXPECT_TRUE(checker.checking());
        while (!answer && loop.waitForWork(30))
            loop.runPending();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->release, (UpdateRelease { "99.0", releaseURL }));
        EXPECT_FALSE(checker.checking());

        // A server that never answers: the checker's end stops the fetch, and the pool's end waits only for that.
        UpdateChecker silent(loop, workers, settings("/silent"));
        silent.checkNow([](const UpdateCheckResult&) { ADD_FAILURE() << "an answer after the checker went"; });
        ASSERT_TRUE(server.waitForRequest("/silent", 30s));
    }
    loop.runPending();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
}

} // namespace
} // namespace quorvane
