#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GLib/GLibWorkerPool.h"
#include "Platforms/Simulated/SimulatedDesktop.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneApp/Tiling/FrameAnimator.h"
#include "QuorvaneApp/Tiling/TilingActions.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "Tiling/TileMotion.h"

#include "helpers/BenchHome.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

using namespace quorvane;

using Home = bench::BenchHome;

WindowHandle openWindow(SimulatedDesktop& desktop, int32_t pid, const std::string& bundle, const Frame& frame)
{
    SimulatedWindow window;
    window.facts.pid = pid;
    window.facts.bundleIdentifier = bundle;
    window.facts.frame = frame;
    window.facts.kind = WindowKind::standard;
    return desktop.windowSystem.addWindow(window);
}

// One census pass over 100 windows of 20 applications, with auto-tile on. `placing`: one window closes and a
// new one opens before every pass, so each pass also places a window.
void census(benchmark::State& state)
{
    bool placing = state.range(0) != 0;
    Home home;
    std::filesystem::create_directories(home.path + "/.config/quorvane");
    std::ofstream(home.path + "/.config/quorvane/config.toml")
        << "[general]\nauto_tile = true\nanimate_tiles = false\n";
    SimulatedDesktop desktop;
    Frame area { 0, 0, 1920, 1080 };
    desktop.windowSystem.setDisplays({ DisplayFacts { "sim:1", area, area, true } });
    std::vector<std::pair<int32_t, std::string>> apps;
    for (int app = 0; app < 20; ++app) {
        std::string bundle = "org.example.App" + std::to_string(app);
        apps.emplace_back(desktop.applications.launch(RunningApplication { bundle, 0, bundle, true, false }), bundle);
        for (int index = 0; index < 5; ++index)
            openWindow(desktop, apps.back().first, bundle, { 20.0 * index, 30.0 * app, 800, 600 });
    }
    AppEnvironment environment;
    environment.paths = QuorvanePaths { home.path };
    environment.socketPath = home.path + "/q.sock";
    environment.logLine = [](const std::string&) {};
    AppModel model(desktop.platform(), environment);
    TilingActions& tiling = model.tiling();
    tiling.census();
    size_t turn = 0;
    for (auto _ : state) {
        if (placing) {
            state.PauseTiming();
            auto& [pid, bundle] = apps[turn++ % apps.size()];
            desktop.windowSystem.removeWindow(desktop.windowSystem.windowsOf(pid).back());
            openWindow(desktop, pid, bundle, { 5, 5, 800, 600 });
            state.ResumeTiming();
        }
        tiling.census();
        if (placing) {
            state.PauseTiming();
            desktop.loop.runPending();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(census)->Arg(0)->Arg(1)->ArgName("placing")->Unit(benchmark::kMicrosecond);

// The simulated window system with a hook on every frame write, for timing writes on real threads.
class WatchedWindows : public WindowSystem {
public:
    explicit WatchedWindows(SimulatedWindowSystem& inner)
        : m_inner(inner)
    {
    }
    std::function<void(WindowHandle)> onWrite;

    std::vector<WindowFacts> windows() override { return m_inner.windows(); }
    std::optional<std::vector<OnScreenWindow>> onScreenWindows() override { return m_inner.onScreenWindows(); }
    std::optional<WindowFacts> focusedWindow() override { return m_inner.focusedWindow(); }
    std::vector<DisplayFacts> displays() override { return m_inner.displays(); }
    std::optional<Frame> readFrame(WindowHandle handle) override { return m_inner.readFrame(handle); }
    void setFrame(WindowHandle handle, const Frame& frame, AxisWrite order) override
    {
        m_inner.setFrame(handle, frame, order);
        if (onWrite)
            onWrite(handle);
    }
    bool writesPromptly() const override { return m_inner.writesPromptly(); }
    void raise(WindowHandle handle) override { m_inner.raise(handle); }
    EnhancedMode enhancedMode(int32_t pid) override { return m_inner.enhancedMode(pid); }
    void setEnhancedMode(int32_t pid, bool on) override { m_inner.setEnhancedMode(pid, on); }
    double refreshRate() override { return m_inner.refreshRate(); }
    void setChangeHandler(std::function<void()> handler) override { m_inner.setChangeHandler(std::move(handler)); }

private:
    SimulatedWindowSystem& m_inner;
};

// A GLib main loop on its own thread with GLib workers, an animator on it, and simulated windows whose slow
// writes take real time.
struct ThreadedScene {
    std::unique_ptr<GLibMainLoop> loop;
    std::thread mainThread;
    std::unique_ptr<SimulatedDesktop> desktop;
    std::unique_ptr<WatchedWindows> windows;
    std::unique_ptr<GLibWorkerPool> workers;
    std::unique_ptr<WindowAccess> access;
    std::unique_ptr<FrameAnimator> animator;

    ThreadedScene()
    {
        std::promise<void> ready;
        mainThread = std::thread([&] {
            loop = std::make_unique<GLibMainLoop>();
            desktop = std::make_unique<SimulatedDesktop>(*loop);
            windows = std::make_unique<WatchedWindows>(desktop->windowSystem);
            workers = std::make_unique<GLibWorkerPool>(6);
            access = std::make_unique<WindowAccess>(*windows, desktop->applications);
            animator = std::make_unique<FrameAnimator>(MotionPlatform { *access, *windows, *workers, *loop });
            Frame area { 0, 0, 1920, 1080 };
            desktop->windowSystem.setDisplays({ DisplayFacts { "sim:1", area, area, true } });
            ready.set_value();
            loop->run();
            // Everything goes on the thread that made it, the GLib loop last.
            animator.reset();
            workers.reset();
            access.reset();
            windows.reset();
            desktop.reset();
            loop.reset();
        });
        ready.get_future().wait();
    }
    ~ThreadedScene()
    {
        loop->quit();
        mainThread.join();
    }
    ThreadedScene(const ThreadedScene&) = delete;
    ThreadedScene& operator=(const ThreadedScene&) = delete;
    void onMain(const std::function<void()>& work) { loop->runAndWait(work, {}); }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// From a tile action's move request on the main thread to the first frame write on a worker.
void tileActionToFirstWrite(benchmark::State& state)
{
    bool animate = state.range(0) != 0;
    ThreadedScene scene;
    int32_t pid = 0;
    WindowHandle handle;
    scene.onMain([&] {
        pid = scene.desktop->applications.launch(RunningApplication { "org.example.Editor", 0, "Editor", true, false });
        handle = openWindow(*scene.desktop, pid, "org.example.Editor", { 0, 0, 800, 600 });
    });
    std::mutex mutex;
    std::condition_variable written;
    std::optional<double> firstWrite;
    scene.windows->onWrite = [&](WindowHandle) {
        std::lock_guard guard(mutex);
        if (!firstWrite)
            firstWrite = scene.loop->now();
        written.notify_all();
    };
    std::vector<double> latencies;
    bool left = false;
    for (auto _ : state) {
        double begun = 0;
        {
            std::lock_guard guard(mutex);
            firstWrite.reset();
        }
        left = !left;
        scene.onMain([&] {
            begun = scene.loop->now();
            scene.animator->move(handle, pid, left ? Frame { 0, 0, 960, 1080 } : Frame { 960, 0, 960, 1080 }, animate);
        });
        std::unique_lock lock(mutex);
        written.wait(lock, [&] { return firstWrite.has_value(); });
        double latency = *firstWrite - begun;
        lock.unlock();
        latencies.push_back(latency);
        state.SetIterationTime(latency);
        // Let the move finish before the next one.
        for (bool busy = true; busy;) {
            scene.onMain([&] { busy = scene.animator->animating(); });
            if (busy)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    state.counters["median_us"] = median(latencies) * 1e6;
}
BENCHMARK(tileActionToFirstWrite)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("animate")
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// A 0.2 s animation of 12 windows of 6 applications at 60 Hz, where two windows (of two applications) take
// 20 ms per write: the intermediate frames the fast windows get, and whether every window lands exactly.
void twelveWindowAnimation(benchmark::State& state)
{
    ThreadedScene scene;
    std::vector<std::tuple<WindowHandle, int32_t, bool>> windows;
    scene.onMain([&] {
        scene.desktop->windowSystem.setRefreshRate(60);
        for (int app = 0; app < 6; ++app) {
            std::string bundle = "org.example.App" + std::to_string(app);
            int32_t pid = scene.desktop->applications.launch(RunningApplication { bundle, 0, bundle, true, false });
            for (int index = 0; index < 2; ++index) {
                WindowHandle handle = openWindow(*scene.desktop, pid, bundle, { 0, 0, 800, 600 });
                bool slow = index == 0 && app < 2;
                if (slow)
                    scene.desktop->windowSystem.update(handle, [](SimulatedWindow& w) { w.writeSeconds = 0.02; });
                windows.emplace_back(handle, pid, slow);
            }
        }
    });
    double fewestFrames = 1e9;
    bool allLanded = true;
    int round = 0;
    for (auto _ : state) {
        ++round;
        std::vector<Frame> targets;
        scene.onMain([&] {
            scene.desktop->windowSystem.clearWrites();
            for (size_t index = 0; index < windows.size(); ++index) {
                const auto& [handle, pid, slow] = windows[index];
                Frame target { 100.0 * (index % 6) + round % 2 * 300, 80.0 * (index / 6), 500 + 10.0 * index, 400 };
                targets.push_back(target);
                scene.animator->move(handle, pid, target, true);
            }
        });
        for (bool busy = true; busy;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            scene.onMain([&] { busy = scene.animator->animating(); });
        }
        state.PauseTiming();
        std::vector<SimulatedWindowSystem::FrameWrite> writes = scene.desktop->windowSystem.writes();
        for (size_t index = 0; index < windows.size(); ++index) {
            const auto& [handle, pid, slow] = windows[index];
            size_t count = std::count_if(
                writes.begin(), writes.end(), [&](const auto& write) { return write.handle == handle; });
            if (!slow)
                fewestFrames = std::min(fewestFrames, static_cast<double>(count) - 1);
            std::optional<Frame> frame = scene.desktop->windowSystem.readFrame(handle);
            allLanded = allLanded && frame == targets[index];
        }
        state.ResumeTiming();
    }
    state.counters["fewest_intermediate_frames"] = fewestFrames;
    state.counters["all_landed"] = allLanded ? 1 : 0;
}
BENCHMARK(twelveWindowAnimation)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace
