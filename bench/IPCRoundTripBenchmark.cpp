#include "Command/CommandOutput.h"
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/QuorvaneSession.h"
#include "QuorvaneIPC/SessionOptions.h"
#include "QuorvaneIPC/SocketServer.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace quorvane;

struct Home {
    std::string path;
    Home()
    {
        path = (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
        if (!::mkdtemp(path.data()))
            std::abort();
    }
    ~Home() { std::filesystem::remove_all(path); }
};

std::shared_ptr<SocketServer> pingServer(const std::string& path)
{
    auto server = SocketServer::create(path, [](const RPCRequest&, std::stop_token) {
        return RPCResponse("", CommandOutput { 0, "ok", JSONValue::Object { { "pong", true } } });
    });
    server->start();
    return server;
}

// One request line out and one response line back over a fresh connection.
void clientRoundTrip(benchmark::State& state)
{
    Home home;
    std::string path = home.path + "/quorvane.sock";
    auto server = pingServer(path);
    RPCRequest request { "6F1B2C1E-9D0A-4C57-9E43-0C6B7F0E8A11", { "ping" } };
    for (auto _ : state)
        benchmark::DoNotOptimize(IPCClient::request(path, request, 5));
}
BENCHMARK(clientRoundTrip);

// The whole forwarded session: parse, fresh identifier, round trip and rendering.
void forwardedSession(benchmark::State& state)
{
    Home home;
    QuorvanePaths paths { home.path };
    auto server = pingServer(paths.resolvedSocketFile(QuorvanePaths::socketPathLimit));
    std::vector<std::string> words { "--json", "ping" };
    for (auto _ : state)
        benchmark::DoNotOptimize(QuorvaneSession::run(SessionOptions { words, paths }));
}
BENCHMARK(forwardedSession);

// A direct command for comparison: read, parse and decode the config, run the router, leave the file as it is.
void directSession(benchmark::State& state)
{
    Home home;
    QuorvanePaths paths { home.path };
    std::vector<std::string> words { "hotkey", "set", "ctrl+opt+e", "com.example.editor", "--config",
        home.path + "/config.toml" };
    QuorvaneSession::run(SessionOptions { words, paths });
    for (auto _ : state)
        benchmark::DoNotOptimize(QuorvaneSession::run(SessionOptions { words, paths }));
}
BENCHMARK(directSession);

} // namespace
