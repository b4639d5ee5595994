#include "AppTesting.h"

#include "Configuration/DefaultConfig.h"
#include "QuorvaneApp/Config/TemporaryFileSweep.h"

#include <filesystem>
#include <sys/stat.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

using AppStartup = test::AppTest;

TEST_F(AppStartup, AFirstRunWritesTheDefaultFileBeforeTheSocketServes)
{
    start();
    ASSERT_TRUE(fs::exists(configPath()));
    EXPECT_EQ(readFile(configPath()), std::string(DefaultConfig::text()));
    EXPECT_EQ(fs::status(configPath()).permissions() & fs::perms::all, fs::perms(0644));
    RPCResponse shown = forward({ "config", "show" });
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.message, std::string(DefaultConfig::text()));
}

TEST_F(AppStartup, ASocketThatCannotStartLeavesTheModelRunning)
{
    writeFile(home.file("blocker"), "a file where the socket's folder should be");
    environment.socketPath = home.file("blocker/quorvane.sock");
    start();
    EXPECT_FALSE(model->socketListening());
    EXPECT_NE(model->censusTimer(), 0u);
    EXPECT_EQ(model->handleRPC({ "ping" }).message, "ok");
    ASSERT_EQ(loggedLines.size(), 1u);
    EXPECT_TRUE(loggedLines[0].starts_with("Quorvane could not listen on " + home.file("blocker/quorvane.sock")));
}

TEST_F(AppStartup, FinishLaunchDoesItsWorkOnce)
{
    start();
    model->finishLaunch();
    model->finishLaunch();
    EXPECT_EQ(desktop.loginItem.changes(), 1);
    EXPECT_TRUE(model->didFinishLaunch());
    // Onboarding is not complete in the default file, so it opens at the first step; apply leaves no banner.
    EXPECT_EQ(model->onboardingStep(), 0);
    EXPECT_EQ(model->banner(), "");
}

TEST_F(AppStartup, TheSetupProbeStartsNothingButTheOnboarding)
{
    environment.setupStep = "1";
    start();
    model->finishLaunch();
    EXPECT_TRUE(model->setupProbe());
    EXPECT_EQ(model->onboardingStep(), 1);
    EXPECT_EQ(desktop.appWindows.onboarding().eyebrow, "STEP 2 OF 6");
    // No census: the one timer is the window-control step's own re-check.
    EXPECT_EQ(model->censusTimer(), 0u);
    EXPECT_EQ(desktop.loop.timerCount(), 1u);
    EXPECT_EQ(desktop.fileWatcher.watchCount(), 0u);
    EXPECT_FALSE(fs::exists(*environment.socketPath));
    EXPECT_EQ(desktop.loginItem.changes(), 0);
    // The configuration is loaded all the same.
    EXPECT_TRUE(fs::exists(configPath()));
    // Closed, the panel leaves nothing to run.
    EXPECT_FALSE(desktop.loop.quitting());
    desktop.appWindows.closeOnboardingByPerson();
    EXPECT_TRUE(desktop.loop.quitting());
}

TEST_F(AppStartup, AnUnknownSetupStepStartsNormally)
{
    environment.setupStep = "9";
    start();
    EXPECT_FALSE(model->setupProbe());
    EXPECT_TRUE(model->socketListening());
}

TEST_F(AppStartup, TheCensusTicksEveryTwelveTenthsOfASecond)
{
    desktop.permissions.setWindowControl(false);
    start();
    desktop.permissions.setWindowControl(true);
    desktop.advance(1.1);
    EXPECT_FALSE(model->accessibilityOn());
    desktop.advance(0.1);
    EXPECT_TRUE(model->accessibilityOn());
    // A trusted census records the running build.
    EXPECT_EQ(readFile(paths().accessibilityGrantFile()), "1.0.1\n");
}

TEST_F(AppStartup, StaleTemporaryFilesOfKilledWritesAreSwept)
{
    std::string config = home.file(".config/quorvane");
    std::string support = paths().applicationSupport();
    struct Case {
        std::string path;
        double ageSeconds;
        bool swept;
    };
    const Case cases[] = {
        { config + "/.quorvane-1F0C2D9A-0000-4000-8000-000000000001.tmp", 120, true },
        { support + "/.quorvane-1F0C2D9A-0000-4000-8000-000000000002.tmp", 61, true },
        { config + "/.quorvane-1F0C2D9A-0000-4000-8000-000000000003.tmp", 5, false },
        { config + "/.config.toml.tmp", 120, false },
        { config + "/quorvane-notes.tmp", 120, false },
        { config + "/.quorvane-.tmp", 120, false },
    };
    for (const Case& c : cases) {
        fs::create_directories(fs::path(c.path).parent_path());
        writeFile(c.path, "half a write");
        fs::last_write_time(
            c.path, fs::file_time_type::clock::now() - std::chrono::seconds(static_cast<int>(c.ageSeconds)));
    }
    start();
    for (const Case& c : cases)
        EXPECT_EQ(!fs::exists(c.path), c.swept) << c.path;
}

} // namespace
} // namespace quorvane
