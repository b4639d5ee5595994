// Update checks against a local HTTP server: the daily check on a worker and its stamp, "Check for Updates…"
// with its answer in the banner, and the newer release's line in the tray menu.
#include "AppTesting.h"

#include "QuorvaneApp/Updates/UpdateChecker.h"
#include "Support/QuorvaneVersion.h"
#include "TestSupport/LocalHTTPServer.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using test::Reply;

const std::string releaseURL = "https://example.com/quorvane/releases";
const QuietSession::Limits shortLimits { 400ms, 200ms, 4096, 8192 };

Reply feed(const std::string& version, const std::string& extra = "")
{
    return { 200, R"({"version": ")" + version + R"(", "url": ")" + releaseURL + "\"" + extra + "}" };
}

// One thread per item, joined at the end: built on the standard library only, so a thread sanitizer sees
// every hand-over.
class ThreadPerItem : public WorkerPool {
public:
    ~ThreadPerItem() override
    {
        for (std::thread& thread : m_threads)
            thread.join();
    }
    void submit(std::function<void()> work) override { m_threads.emplace_back(std::move(work)); }

private:
    std::vector<std::thread> m_threads;
};

class UpdateCheckTest : public test::AppTest {
protected:
    test::LocalHTTPServer server { { { "/feed.json", feed(QuorvaneVersion::current) } } };
    SimulatedStatusItem& item = desktop.statusItem;
    const std::string available = "Quorvane 99.0 is available";

    UpdateCheckTest()
    {
        environment.updateFeed = server.url("/feed.json");
        environment.fetchLimits = shortLimits;
    }

    // Starts the application and finishes launching, with the answer of a check that launching started.
    void launch(bool checkForUpdates = true)
    {
        model.reset();
        startWith(test::configText({ { "check_for_updates", checkForUpdates ? "true" : "false" } }));
        model->finishLaunch();
        desktop.loop.runPending();
    }

    bool choose(const std::string& label)
    {
        bool found = item.choose(label);
        desktop.loop.runPending();
        return found;
    }

    size_t requests() const { return server.requests().size(); }
};

TEST_F(UpdateCheckTest, ANewerReleaseShowsItsLineWhichOpensItsAddress)
{
    server.route("/feed.json", feed("99.0"));
    launch();
    EXPECT_EQ(item.labels(),
        (std::vector<std::string> { "Tile Mode (ctrl+opt+space)", "Layouts", "Web Apps", "Settings…", "Setup Guide…", "-", available,
            "About Quorvane", "Check for Updates…", "-", "Quit Quorvane" }));
    // A daily check tells through the menu alone.
    EXPECT_EQ(model->banner(), "");
    EXPECT_TRUE(choose(available));
    EXPECT_EQ(desktop.applications.openedURLs(), std::vector<std::string> { releaseURL });

    // The next start announces it from the stamp, without asking again.
    launch();
    EXPECT_EQ(requests(), 1u);
    EXPECT_TRUE(item.find(available));
}

TEST_F(UpdateCheckTest, CheckForUpdatesAnswersInTheBannerAndBadFeedsAreFailedChecks)
{
    launch(false);
    EXPECT_EQ(requests(), 0u);
    const std::string failed = "Quorvane could not check for updates. ";
    const std::pair<Reply, std::string> cases[] = {
        { { 200, "<html>99.0</html>" }, failed + "The update feed is not JSON." },
        { { 200, R"({"url": ")" + releaseURL + "\"}" }, failed + "The update feed names no version." },
        { feed("99.0-beta"), failed + "The update feed's version is not a release number such as 1.2.0." },
        { { 500, feed("99.0").body }, failed + "The update server answered with HTTP status 500." },
        { feed("99.0", ", \"pad\": \"" + std::string(10 * 1024 * 1024, 'x') + "\""),
            failed + "The update feed is too large." },
        // Bounded by the fetch limits.
        { { .silent = true }, failed + "The update server did not answer in time." },
        { feed(QuorvaneVersion::current), "Quorvane is up to date." },
        { feed("99.0"), "Quorvane 99.0 is available." },
    };
    for (const auto& [reply, banner] : cases) {
        server.route("/feed.json", reply);
        EXPECT_TRUE(choose("Check for Updates…"));
        EXPECT_EQ(model->banner(), banner);
        EXPECT_EQ(model->bannerIsSuccess(), !banner.starts_with(failed)) << banner;
        EXPECT_EQ(item.find(available) != nullptr, banner == "Quorvane 99.0 is available.") << banner;
    }
    // A failed check leaves a release found before it announced.
    server.route("/feed.json", { 500, "" });
    EXPECT_TRUE(choose("Check for Updates…"));
    EXPECT_TRUE(item.find(available));
}

TEST_F(UpdateCheckTest, TheRequestCarriesTheVersionAndNothingElse)
{
    // A redirect that sets a cookie, which the next request must not send back.
    server.route("/feed.json", { 302, "", "Location: /release.json\r\nSet-Cookie: visitor=42\r\n" });
    server.route("/release.json", feed("99.0"));
    launch();
    ASSERT_EQ(requests(), 2u);
    const std::string agent = "User-Agent: Quorvane/" + std::string(QuorvaneVersion::current);
    for (const std::string& head : server.requests()) {
        std::vector<std::string> lines;
        for (size_t at = 0, end; (end = head.find("\r\n", at)) != at && end != std::string::npos; at = end + 2)
            lines.push_back(head.substr(at, end - at));
        ASSERT_EQ(lines.size(), 5u) << head;
        EXPECT_TRUE(lines[0] == "GET /feed.json HTTP/1.1" || lines[0] == "GET /release.json HTTP/1.1") << head;
        EXPECT_TRUE(lines[1].starts_with("Host: 127.0.0.1:")) << head;
        EXPECT_EQ(lines[2], agent);
        EXPECT_EQ(lines[3], "Accept: */*");
        EXPECT_TRUE(lines[4].starts_with("Accept-Encoding: ")) << head;
    }
    EXPECT_TRUE(item.find(available));
}

TEST_F(UpdateCheckTest, AStartWithinADayOfTheLastCheckDoesNotCheck)
{
    launch();
    launch();
    EXPECT_EQ(requests(), 1u);
    const double day = UpdateStamp::interval;
    const std::pair<double, bool> lastChecks[] = {
        { fixedWallClock - day + 1, false },
        { fixedWallClock - day, true },
        // Tomorrow, by a clock put back since.
        { fixedWallClock + 60, true },
    };
    for (const auto& [checked, checks] : lastChecks) {
        UpdateStamp { checked, std::nullopt }.save(paths().updateStampFile());
        size_t before = requests();
        launch();
        EXPECT_EQ(requests(), before + checks) << checked;
    }
}

TEST_F(UpdateCheckTest, TurningChecksOffStopsTheDailyCheckAtOnce)
{
    launch();
    ASSERT_TRUE(model->updater()->enabled());
    size_t timers = desktop.loop.timerCount();
    GeneralConfig general = model->config().general;
    general.checkForUpdates = false;
    model->setGeneral(general);
    EXPECT_FALSE(model->updater()->enabled());
    EXPECT_EQ(desktop.loop.timerCount(), timers - 1);
    // A hand edit counts the same.
    for (bool on : { true, false }) {
        test::writeFile(configPath(), test::configText({ { "check_for_updates", on ? "true" : "false" } }));
        model->configuration().reloadFromDisk();
        EXPECT_EQ(model->updater()->enabled(), on);
    }
    // Asking still checks.
    EXPECT_TRUE(choose("Check for Updates…"));
    EXPECT_EQ(requests(), 2u);
}

TEST_F(UpdateCheckTest, TheCheckRunsOnAWorkerAndOutlivesNothing)
{
    desktop.workers.setQueued(true);
    launch();
    EXPECT_EQ(requests(), 0u);
    ASSERT_TRUE(item.find("Checking for Updates…"));
    EXPECT_FALSE(item.find("Checking for Updates…")->enabled);
    desktop.workers.drain();
    desktop.loop.runPending();
    EXPECT_EQ(requests(), 1u);
    EXPECT_TRUE(item.find("Check for Updates…")->enabled);

    // A check still queued when the application goes sends nothing and answers no one.
    EXPECT_TRUE(choose("Check for Updates…"));
    model.reset();
    desktop.workers.drain();
    desktop.loop.runPending();
    EXPECT_EQ(requests(), 1u);
}

TEST_F(UpdateCheckTest, WithoutAFeedTheMenuHasNoCheck)
{
    environment.updateFeed.reset();
    launch();
    EXPECT_EQ(model->updater(), nullptr);
    EXPECT_FALSE(item.find("Check for Updates…"));
    EXPECT_EQ(requests(), 0u);
}

TEST(UpdateChecker, ChecksOnceADayWhileOnAndAtOnceWhenTurnedOnAfterADay)
{
    test::LocalHTTPServer server({ { "/feed.json", feed("0.1") } });
    test::TemporaryFolder folder;
    SimulatedMainLoop loop;
    SimulatedWorkerPool workers;
    UpdateChecker checker(loop, workers,
        { server.url("/feed.json"), folder.file("update-check.json"), shortLimits, [&] { return loop.now(); } });
    auto requests = [&] { return server.requests().size(); };
    const double day = UpdateStamp::interval, hour = UpdateChecker::pollInterval;
    checker.setEnabled(true);
    loop.runPending();
    loop.advance(day - hour - 1);
    EXPECT_EQ(requests(), 1u);
    // The first hourly look after the day is over checks.
    loop.advance(hour + 1);
    EXPECT_EQ(requests(), 2u);
    checker.setEnabled(false);
    loop.advance(3 * day);
    EXPECT_EQ(requests(), 2u);
    checker.setEnabled(true);
    loop.runPending();
    EXPECT_EQ(requests(), 3u);
}

TEST(UpdateCheckerThreads, TheFetchRunsOnAWorkerThreadAndEndsWithTheChecker)
{
    test::LocalHTTPServer server({ { "/feed.json", feed("99.0") }, { "/silent", { .silent = true } } });
    test::TemporaryFolder folder;
    SimulatedMainLoop loop;
    auto settings = [&](const std::string& path) {
        // Far longer than the test waits.
        QuietSession::Limits patient { std::chrono::minutes(2), 1s, 4096, 8192 };
        return UpdateChecker::Settings { server.url(path), folder.file("update-check.json"), patient,
            [] { return 1.0; } };
    };
    auto start = std::chrono::steady_clock::now();
    {
        ThreadPerItem workers;
        UpdateChecker checker(loop, workers, settings("/feed.json"));
        std::optional<UpdateCheckResult> answer;
        checker.checkNow([&](const UpdateCheckResult& result) {
            EXPECT_TRUE(loop.isMainThread());
            answer = result;
        });
        while (!answer && loop.waitForWork(30))
            loop.runPending();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->release, (UpdateRelease { "99.0", releaseURL }));

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
