#pragma once

#include "Configuration/DefaultConfig.h"
#include "Platforms/Simulated/SimulatedDesktop.h"
#include "QuorvaneApp/Agents/AgentActions.h"
#include "QuorvaneApp/Config/ConfigLifecycle.h"
#include "QuorvaneApp/Keys/AppHotkeyActions.h"
#include "QuorvaneApp/Keys/HotkeyCenter.h"
#include "QuorvaneApp/Keys/HotkeyEdits.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneApp/Tiling/TilingActions.h"
#include "QuorvaneApp/Views/TileOverlay.h"
#include "QuorvaneIPC/IPCClient.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "TestSupport/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quorvane::test {

// The default file with some `[general]` values replaced (given as TOML) and `tail` appended.
inline std::string configText(
    const std::vector<std::pair<std::string, std::string>>& general, const std::string& tail = "")
{
    std::string text(DefaultConfig::text());
    for (const auto& [key, value] : general) {
        size_t at = text.find("\n" + key + " = ") + 1;
        text.replace(at, text.find('\n', at) - at, key + " = " + value);
    }
    return text + tail;
}

// A model on the simulated desktop with a home folder of its own and a fixed wall clock.
class AppTest : public testing::Test {
public:
    // 2023-11-14T22:13:20Z
    static constexpr double fixedWallClock = 1700000000;

    TemporaryFolder home;
    SimulatedDesktop desktop;
    std::vector<std::string> loggedLines;
    AppEnvironment environment = makeEnvironment();
    std::unique_ptr<AppModel> model;

    ~AppTest() override
    {
        // The model goes before the desktop it runs on.
        model.reset();
    }

    AppEnvironment makeEnvironment()
    {
        AppEnvironment made;
        made.paths = paths();
        made.socketPath = home.file("quorvane.sock");
        made.logLine = [this](const std::string& line) { loggedLines.push_back(line); };
        made.wallClock = [] { return fixedWallClock; };
        return made;
    }

    AppModel& start()
    {
        model = std::make_unique<AppModel>(desktop.platform(), environment);
        return *model;
    }

    // Writes `text` as the config file, creating its folder.
    void writeConfig(const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(configPath()).parent_path());
        writeFile(configPath(), text);
    }

    AppModel& startWith(const std::string& text)
    {
        writeConfig(text);
        return start();
    }

    QuorvanePaths paths() const { return QuorvanePaths { home.path() }; }
    std::string configPath() const { return paths().configFile(); }

    // Sends one command line through the socket from another thread while this thread serves the main loop.
    RPCResponse forward(const std::vector<std::string>& arguments, double timeout = 10)
    {
        std::atomic<bool> done = false;
        RPCResponse response;
        std::exception_ptr failure;
        std::thread client([&] {
            try {
                response = IPCClient::request(*environment.socketPath, RPCRequest { "request", arguments }, timeout);
            } catch (...) {
                failure = std::current_exception();
            }
            done = true;
            desktop.loop.post([] {});
        });
        // Once the loop quits nothing hops to it any more, and its posts are dropped.
        while (!done && !desktop.loop.quitting()) {
            desktop.loop.waitForWork(timeout);
            desktop.loop.runPending();
        }
        client.join();
        if (failure)
            std::rethrow_exception(failure);
        return response;
    }
};

// An application whose settings window a test works as a person would: each edit and press is followed by
// the main loop's next turn.
class SettingsTest : public AppTest {
public:
    SimulatedAppWindows& windows = desktop.appWindows;

    // Lets posted updates run, as the main loop's next turn does.
    void settle() { desktop.loop.runPending(); }

    bool edit(const std::string& name, const std::string& value)
    {
        bool found = windows.edit(name, value);
        settle();
        return found;
    }

    bool press(const std::string& name)
    {
        bool found = windows.press(name);
        settle();
        return found;
    }
};

} // namespace quorvane::test
