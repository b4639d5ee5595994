// Where a forwarded tile's time goes. The whole: from a `tile` request sent on the application's socket to the
// window's new size in a ConfigureNotify. Its floor: the same window manager moving the same window on a bare
// _NET_MOVERESIZE_WINDOW, timed in turns with the tiles. And our parts between them, each timed alone with the
// application's own pieces: the socket round trip with its hop to the main thread (a ping), the window-control
// check, the window and display reads, the frame read and the backend's frame write, all in one piece of work on
// the main thread as a tile makes them (an unanimated move is written there, not handed to a worker). All wall
// time. Run on an X display where quorvane-app runs with animate_tiles = false (bench/x11-figures.sh does both);
// the breakdown is printed at the end.
#include "helpers/LatencyWindow.h"
#include "helpers/Percentile.h"

#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WindowSystem.h"

#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCCodec.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace quorvane;
using bench::LatencyWindow;
using Clock = LatencyWindow::Clock;

// The latency window, tiled through the application's socket.
class TiledWindow {
public:
    TiledWindow()
        : m_socket(ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit))
    {
        // The application answers once it lists the window.
        for (int attempt = 0; attempt < 500 && request("fill").exitCode != 0; ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        m_window.settle();
    }

    // Seconds from sending `tile <app> <slot>` to the first ConfigureNotify with another size; none when
    // the request fails or no new size comes within two seconds. The answer is read only after the size
    // came, on this thread, so that nothing but the request stands between the clock and the window.
    std::optional<double> tile(const char* slot)
    {
        FileDescriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address;
        copy(m_socket, address);
        Clock::time_point sent = Clock::now();
        if (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            return std::nullopt;
        RPCRequest request { std::to_string(++m_requests), { "tile", LatencyWindow::applicationId, slot } };
        writeAll(connection.get(), RPCCodec::encodeLine(request), 5);
        std::optional<double> seconds;
        if (m_window.nextSize(sent + std::chrono::seconds(2)))
            seconds = std::chrono::duration<double>(Clock::now() - sent).count();
        RPCResponse response = RPCCodec::decodeResponse(readLine(connection.get(), 5, responseLineLimit));
        m_window.settle();
        return response.exitCode == 0 ? seconds : std::nullopt;
    }

    RPCResponse ping()
    {
        return IPCClient::request(m_socket, RPCRequest { std::to_string(++m_requests), { "ping" } }, 5);
    }
    LatencyWindow& window() { return m_window; }

private:
    RPCResponse request(const char* slot)
    {
        return IPCClient::request(
            m_socket, RPCRequest { std::to_string(++m_requests), { "tile", LatencyWindow::applicationId, slot } }, 5);
    }

    LatencyWindow m_window;
    std::string m_socket;
    int m_requests = 0;
};

// The latency window as the tiles leave it, shared by every stage so that each resizes it in turn.
TiledWindow& tiled()
{
    static TiledWindow window;
    return window;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Where the two tiles put the window. The window manager's work depends on what moves and how far, so the floor
// and the frame write replay these.
const LatencyWindow::Placement& tilePlacement(bool half)
{
    static const std::array<LatencyWindow::Placement, 2> placements = [] {
        std::array<LatencyWindow::Placement, 2> placed;
        for (bool tile : { true, false }) {
            tiled().tile(tile ? "left-half" : "top-right");
            placed[tile ? 0 : 1] = tiled().window().placement();
        }
        return placed;
    }();
    return placements[half ? 0 : 1];
}

// Seconds from a bare _NET_MOVERESIZE_WINDOW to one of the tiles' placements to the window's new size.
std::optional<double> bareMoveResize(bool half)
{
    LatencyWindow& window = tiled().window();
    const LatencyWindow::Placement& placement = tilePlacement(half);
    Clock::time_point sent = Clock::now();
    window.moveResize(placement.x, placement.y, placement.width, placement.height);
    if (!window.nextSize(sent + std::chrono::seconds(2)))
        return std::nullopt;
    double seconds = secondsSince(sent);
    window.settle();
    return seconds;
}

// The tile and its floor in pairs, so that both meet the same load on a noisy machine: each repetition tiles
// the window to one placement and has the window manager alone move it to the other, in turns, so that each
// direction and each order comes as often. The tile is the repetition's time; the floor and the difference
// within the pair are counters in ms.
void tileToConfigureNotify(benchmark::State& state)
{
    static int pair = 0;
    tilePlacement(true);
    for (auto _ : state) {
        // From the top right the tile goes to the left half and the floor back; then the floor goes first.
        std::optional<double> whole, floor;
        if (++pair % 2) {
            whole = tiled().tile("left-half");
            floor = bareMoveResize(false);
        } else {
            floor = bareMoveResize(true);
            whole = tiled().tile("top-right");
        }
        if (!whole || !floor) {
            state.SkipWithError("the tile failed, or the window kept its size");
            break;
        }
        state.SetIterationTime(*whole);
        state.counters["floor_ms"] = *floor * 1e3;
        state.counters["ours_ms"] = (*whole - *floor) * 1e3;
    }
}

void forwardedPing(benchmark::State& state)
{
    for (auto _ : state) {
        Clock::time_point sent = Clock::now();
        if (tiled().ping().exitCode != 0) {
            state.SkipWithError("the application does not answer");
            break;
        }
        state.SetIterationTime(secondsSince(sent));
    }
}

// The application's own pieces in this process, its main loop served by a thread of its own as in the
// application: the backend's reads run there as one piece of work, as a tile's do.
class Pieces {
public:
    Pieces()
    {
        std::promise<void> ready;
        m_mainThread = std::thread([&] {
            GLibMainLoop loop;
            X11Desktop desktop(loop);
            m_loop = &loop;
            m_desktop = &desktop;
            ready.set_value();
            loop.run();
        });
        ready.get_future().wait();
    }
    ~Pieces()
    {
        m_loop->quit();
        m_mainThread.join();
    }

    MainLoop& loop() { return *m_loop; }
    WindowSystem& windows() { return m_desktop->windowSystem(); }
    Permissions& permissions() { return m_desktop->permissions(); }
    WindowHandle handle() const { return WindowHandle { tiled().window().id() }; }

private:
    std::thread m_mainThread;
    MainLoop* m_loop = nullptr;
    X11Desktop* m_desktop = nullptr;
};

Pieces& pieces()
{
    static Pieces made;
    return made;
}

void mainThreadHop(benchmark::State& state)
{
    for (auto _ : state) {
        Clock::time_point sent = Clock::now();
        pieces().loop().runAndWait([] {}, {});
        state.SetIterationTime(secondsSince(sent));
    }
}

// What a tile reads in its piece of work on the main thread: whether windows can be moved, the windows and the
// displays, then the frame of the window it moves. `part` 0 times the first, 1 the second, 2 the third.
void tileReads(benchmark::State& state)
{
    for (auto _ : state) {
        double seconds[3] = {};
        pieces().loop().runAndWait(
            [&] {
                WindowSystem& windows = pieces().windows();
                Clock::time_point start = Clock::now();
                benchmark::DoNotOptimize(pieces().permissions().windowControlAllowed());
                Clock::time_point checked = Clock::now();
                benchmark::DoNotOptimize(windows.windows());
                benchmark::DoNotOptimize(windows.displays());
                Clock::time_point listed = Clock::now();
                benchmark::DoNotOptimize(windows.readFrame(pieces().handle()));
                seconds[0] = std::chrono::duration<double>(checked - start).count();
                seconds[1] = std::chrono::duration<double>(listed - checked).count();
                seconds[2] = secondsSince(listed);
            },
            {});
        state.SetIterationTime(seconds[state.range(0)]);
    }
}

// The move written after the listing in the same piece of work, as a tile writes it, to the new size.
void frameWrite(benchmark::State& state)
{
    LatencyWindow& window = tiled().window();
    static bool half = false;
    for (auto _ : state) {
        half = !half;
        const LatencyWindow::Placement& placement = tilePlacement(half);
        Clock::time_point sent;
        pieces().loop().runAndWait(
            [&] {
                WindowSystem& windows = pieces().windows();
                benchmark::DoNotOptimize(windows.windows());
                sent = Clock::now();
                windows.setFrame(pieces().handle(),
                    Frame { double(placement.x), double(placement.y), double(placement.outerWidth),
                        double(placement.outerHeight) },
                    AxisWrite::sizeThenPosition);
            },
            {});
        if (!window.nextSize(sent + std::chrono::seconds(2))) {
            state.SkipWithError("the window manager did not resize the window");
            break;
        }
        state.SetIterationTime(secondsSince(sent));
        window.settle();
    }
}

constexpr int repetitions = 100;
BENCHMARK(tileToConfigureNotify)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(forwardedPing)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(mainThreadHop)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(tileReads)->Name("windowControlCheck")->Arg(0)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(tileReads)->Name("windowAndDisplayReads")->Arg(1)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(tileReads)->Name("frameRead")->Arg(2)->Apply(quorvane::bench::singleEvents<repetitions>);
BENCHMARK(frameWrite)->Apply(quorvane::bench::singleEvents<repetitions>);

// The console report, then the medians as a breakdown of the whole tile.
class BreakdownReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            for (const auto& [name, counter] : run.counters)
                m_medians[run.run_name.function_name + "." + name] = counter.value;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        auto median = [&](const char* name) { return m_medians.count(name) ? m_medians[name] : 0.0; };
        double whole = median("tileToConfigureNotify"), floor = median("tileToConfigureNotify.floor_ms");
        std::printf("\nA forwarded tile, medians in ms of wall time\n");
        std::printf("  %-58s %7.3f\n", "whole: tile request -> ConfigureNotify", whole);
        std::printf("  %-58s %7.3f\n", "floor: _NET_MOVERESIZE_WINDOW -> ConfigureNotify", floor);
        std::printf("  %-58s %7.3f\n", "ours: whole - floor", whole - floor);
        std::printf("  %-58s %7.3f\n", "ours within each pair", median("tileToConfigureNotify.ours_ms"));
        std::printf("    %-56s %7.3f\n", "socket round trip with the main-thread hop (ping)", median("forwardedPing"));
        std::printf("      %-54s %7.3f\n", "of which the main-thread hop", median("mainThreadHop"));
        std::printf("    %-56s %7.3f\n", "window-control check", median("windowControlCheck"));
        std::printf("    %-56s %7.3f\n", "window and display reads", median("windowAndDisplayReads"));
        std::printf("    %-56s %7.3f\n", "frame read", median("frameRead"));
        std::printf(
            "    %-56s %7.3f\n", "frame write -> ConfigureNotify, less the floor", median("frameWrite") - floor);
    }

private:
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    BreakdownReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
