// Forwarded commands against the real application model on the GLib main loop, with the census timer
// running: how long one takes, and that thousands leak no descriptor and lose or reorder no answer.
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GLib/GLibWorkerPool.h"
#include "Platforms/GLib/GioFileWatcher.h"
#include "Platforms/Simulated/SimulatedDesktop.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneIPC/IPCClient.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>
#include <unistd.h>

namespace {

using namespace quorvane;
namespace fs = std::filesystem;

int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// The application on its own main thread, as `quorvane-app --simulate` runs it.
class RunningApplication {
public:
    RunningApplication()
    {
        m_home = (fs::temp_directory_path() / "quorvane-bench-XXXXXX").string();
        if (!::mkdtemp(m_home.data()))
            std::abort();
        socket = m_home + "/quorvane.sock";
        std::promise<GLibMainLoop*> started;
        auto loop = started.get_future();
        m_main = std::thread([this, &started] {
            GLibMainLoop mainLoop;
            SimulatedDesktop desktop(mainLoop);
            desktop.addSampleScene();
            GioFileWatcher watcher;
            GLibWorkerPool workers;
            Platform platform { mainLoop, desktop.windowSystem, workers, desktop.applications, desktop.hotkeys,
                desktop.keyboardTap, watcher, desktop.permissions, desktop.overlay, desktop.loginItem, desktop.statusItem,
                desktop.appWindows };
            AppEnvironment environment;
            environment.paths = QuorvanePaths { m_home };
            environment.socketPath = socket;
            environment.logLine = [](const std::string&) {};
            AppModel model(platform, environment);
            mainLoop.post([&] { model.finishLaunch(); });
            started.set_value(&mainLoop);
            mainLoop.run();
        });
        m_loop = loop.get();
    }
    ~RunningApplication()
    {
        m_loop->quit();
        m_main.join();
        fs::remove_all(m_home);
    }

    std::string socket;

private:
    std::string m_home;
    std::thread m_main;
    GLibMainLoop* m_loop = nullptr;
};

void forwardedPing(benchmark::State& state)
{
    RunningApplication application;
    RPCRequest request { "", { "ping" } };
    int before = openDescriptors();
    int64_t sent = 0, wrong = 0;
    for (auto _ : state) {
        request.id = std::to_string(sent++);
        RPCResponse response = IPCClient::request(application.socket, request, 5);
        if (response.id != request.id || response.exitCode != 0 || response.message != "ok")
            ++wrong;
    }
    state.counters["wrong answers"] = static_cast<double>(wrong);
    state.counters["descriptors gained"] = openDescriptors() - before;
}
BENCHMARK(forwardedPing)->Iterations(5000)->Unit(benchmark::kMicrosecond);

} // namespace
