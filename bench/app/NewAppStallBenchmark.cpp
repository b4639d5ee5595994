// How long GLib's main loop goes unserved while the new web app panel creates an app whose site never answers:
// the icon fetch runs on a worker against a local server that accepts and stays silent until the fetch's own
// time limit ends, and a 1 ms timer on the main loop records the longest gap between its ticks. For contrast,
// the same fetch run on the main thread itself.
#include "Configuration/QuorvaneConfig.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GLib/GLibWorkerPool.h"
#include "Platforms/Simulated/SimulatedAppWindows.h"
#include "Platforms/Simulated/SimulatedHotkeyRegistrar.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/Views/ChordCheck.h"
#include "QuorvaneApp/Views/NewAppPanel.h"
#include "QuorvaneNet/QuietSession.h"
#include "RPC/RPCResponse.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

namespace {

using namespace quorvane;
using Clock = std::chrono::steady_clock;

// A listening socket nobody accepts from: connections complete in the kernel's queue and no answer ever comes.
class SilentServer {
public:
    SilentServer()
        : m_socket(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), length) != 0
            || ::listen(m_socket, 16) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no local socket to listen on");
        m_url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    }
    ~SilentServer() { ::close(m_socket); }
    const std::string& url() const { return m_url; }

private:
    int m_socket;
    std::string m_url;
};

struct DefaultConfig : ConfigSource {
    QuorvaneConfig value;
    const QuorvaneConfig& config() const override { return value; }
    uint64_t generation() const override { return 1; }
};

// As the application fetches icons: a time limit and a grace that together make `seconds`.
std::optional<std::string> fetchIcon(const std::string& url, double seconds)
{
    auto total = std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    QuietSession::Limits limits;
    limits.timeLimit = total * 4 / 5;
    limits.grace = total - limits.timeLimit;
    return QuietSession(limits).iconData(url);
}

// Serves `loop` with a 1 ms ticker until `done` says so; the longest gap between ticks, in milliseconds.
template <typename Done> double longestGap(GLibMainLoop& loop, Done done)
{
    Clock::time_point last = Clock::now();
    double longest = 0;
    TimerId ticker = loop.addTimer(0.001, true, [&] {
        Clock::time_point now = Clock::now();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        if (done())
            loop.quit();
    });
    loop.run();
    loop.cancelTimer(ticker);
    return longest;
}

void createWhileTheSiteIsSilent(benchmark::State& state)
{
    SilentServer server;
    double worst = 0;
    double created = 0;
    for (auto _ : state) {
        GLibMainLoop loop;
        GLibWorkerPool workers(2);
        SimulatedAppWindows windows;
        SimulatedHotkeyRegistrar registrar(loop);
        DefaultConfig config;
        Banner banner;
        ChordCheck chords(config, registrar);
        bool added = false;
        NewAppPanel panel(loop, workers, windows, chords, banner,
            NewAppPanel::Actions { fetchIcon,
                [&](const Invocation&, const std::optional<std::string>&, const std::optional<std::string>&) {
                    added = true;
                    return RPCResponse("", 0, "", "{}");
                } });
        panel.show();
        windows.editPanel(NewAppPanel::panelKey, "Address", server.url());
        windows.editPanel(NewAppPanel::panelKey, "Name", "Silent");
        auto started = Clock::now();
        windows.pressPanel(NewAppPanel::panelKey, "Create");
        double gap = longestGap(loop, [&] { return added; });
        created = std::max(created, std::chrono::duration<double>(Clock::now() - started).count());
        worst = std::max(worst, gap);
        state.SetIterationTime(gap / 1000);
    }
    state.counters["longest_stall_ms"] = worst;
    state.counters["create_s"] = created;
}
BENCHMARK(createWhileTheSiteIsSilent)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The contrast: the same fetch as work on the main loop.
void fetchOnTheMainThread(benchmark::State& state)
{
    SilentServer server;
    double worst = 0;
    for (auto _ : state) {
        GLibMainLoop loop;
        bool fetched = false;
        loop.post([&] {
            fetchIcon(server.url(), NewAppPanel::iconSeconds);
            fetched = true;
        });
        double gap = longestGap(loop, [&] { return fetched; });
        worst = std::max(worst, gap);
        state.SetIterationTime(gap / 1000);
    }
    state.counters["longest_stall_ms"] = worst;
}
BENCHMARK(fetchOnTheMainThread)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
