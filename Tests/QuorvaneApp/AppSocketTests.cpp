#include "AppTesting.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Model/SocketLink.h"

#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <sys/resource.h>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

using AppSocket = test::AppTest;

TEST_F(AppSocket, ForwardedCommandsRunOnTheMainThreadInArrivalOrder)
{
    start();
    std::vector<std::string> chords;
    for (char key = 'a'; key <= 'f'; ++key) {
        chords.push_back(std::string("ctrl+shift+cmd+") + key);
        RPCResponse response = forward({ "hotkey", "set", chords.back(), std::string("com.example.") + key });
        EXPECT_EQ(response.id, "request");
        EXPECT_EQ(response.exitCode, 0) << response.message;
    }
    std::vector<std::string> stored;
    for (const NativeHotkey& hotkey : model->config().hotkeys)
        stored.push_back(hotkey.chord);
    EXPECT_EQ(stored, chords);
}

TEST_F(AppSocket, AFailedDestructiveCommandWritesNothing)
{
    const std::string text = "[apps.notes]\nurl = \"https://notes.example.com/\"\nname = \"Notes\"\n"
                             "bundle_id = \"app.quorvane.web.notes\"\n";
    writeConfig(text);
    // A file where the web apps' folder should be: the bundle cannot be removed.
    fs::create_directories(paths().applicationSupport());
    writeFile(paths().appsDirectory(), "not a folder");
    start();
    RPCResponse response = forward({ "app", "remove", "Notes", "--yes" });
    EXPECT_EQ(response.exitCode, 8);
    EXPECT_EQ(readFile(configPath()), text);
    EXPECT_EQ(model->config().apps.size(), 1u);
}

TEST_F(AppSocket, AnIconIsFetchedBeforeTheRequestReachesTheMainThread)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool fetching = false, released = false;
    double allowed = 0;
    environment.fetchIcon = [&](const std::string& url, double seconds) -> std::optional<std::string> {
        std::unique_lock lock(mutex);
        EXPECT_EQ(url, "https://example.com");
        allowed = seconds;
        fetching = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
        return std::string("icns fetched icon");
    };
    start();
    bool timerFired = false;
    desktop.loop.addTimer(0.5, false, [&] { timerFired = true; });

    std::thread client([&] {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return fetching; });
        lock.unlock();
        // The main thread is free while the icon downloads: its timers run.
        desktop.loop.post([&] {
            desktop.advance(1);
            std::lock_guard guard(mutex);
            released = timerFired;
            changed.notify_all();
        });
    });
    RPCResponse response = forward({ "app", "add", "https://example.com", "--name", "Example", "--timeout", "4" });
    client.join();
    EXPECT_TRUE(timerFired);
    EXPECT_EQ(response.exitCode, 0) << response.message;
    EXPECT_EQ(allowed, 4 - SocketLink::iconMargin);
    EXPECT_EQ(readFile(paths().appsDirectory() + "/Example.app/Contents/Resources/AppIcon.icns"), "icns fetched icon");
}

TEST_F(AppSocket, AFailedSaveReachesTheCallerAsExitCodeEight)
{
    start();
    // Files may not grow now, so the save's temporary file cannot be written, whoever runs the test.
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous {};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit none = previous;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
    RPCResponse response = forward({ "hotkey", "set", "ctrl+opt+x", "com.example.editor" });
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    const std::string sentence = "config.toml could not be saved: File too large.";
    EXPECT_EQ(response.exitCode, 8);
    EXPECT_EQ(response.message, sentence);
    EXPECT_EQ(model->banner(), sentence);
    // The configuration in force stays as it was, so a later unrelated save does not write the failed change.
    EXPECT_TRUE(model->config().hotkeys.empty());
    EXPECT_EQ(forward({ "hotkey", "list" }).message, "No hotkeys yet.");
    EXPECT_EQ(forward({ "rule", "add", "com.example.files", "--tile", "left-half" }).exitCode, 0);
    EXPECT_EQ(readFile(configPath()).find("ctrl+opt+x"), std::string::npos);
}

// The largest file the application reads, in the shapes that grow most in the answer to `config show`: control
// characters (six bytes each in JSON, seven once the escape is escaped again) in comments, in values, and in
// app names that the JSON repeats as slug, name and bundle identifier.
TEST_F(AppSocket, ConfigShowOfTheLargestFileFitsOneAnswer)
{
    auto filled = [](const std::string& before, const std::string& after) {
        return before + std::string(ConfigFile::maximumFileSize - before.size() - after.size(), '\x01') + after;
    };
    for (const std::string& text : { filled("# ", "\n"), filled("[apps.a]\nurl = \"", "\"\n"),
             filled("[apps.\"", "\"]\nurl = \"https://example.com\"\n") }) {
        model.reset();
        startWith(text);
        // A size test, not a speed one: under the sanitizers a busy machine takes seconds over each answer.
        RPCResponse response = forward({ "config", "show" }, 60);
        EXPECT_EQ(response.exitCode, 0) << response.message.substr(0, 100);
        EXPECT_EQ(response.message.size(), model->file().text().size());
    }
}

TEST_F(AppSocket, OnceQuittingEveryRequestIsAnsweredNotRunning)
{
    start();
    EXPECT_EQ(forward({ "ping" }).message, "ok");
    desktop.loop.quit();
    RPCResponse response = forward({ "ping" });
    EXPECT_EQ(response.exitCode, 3);
    EXPECT_EQ(response.message, "Quorvane is not running.");
}

TEST_F(AppSocket, QuittingTheModelRemovesTheSocket)
{
    start();
    ASSERT_TRUE(fs::exists(*environment.socketPath));
    model->beginQuitting();
    EXPECT_TRUE(model->quitting());
    EXPECT_FALSE(fs::exists(*environment.socketPath));
}

} // namespace
} // namespace quorvane
