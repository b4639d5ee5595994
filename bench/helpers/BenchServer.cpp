// A stand-in for the running application: serves the command router over the socket with a controller
// that touches no windows, so that forwarded commands can be timed.
//   quorvane-bench-server [socket path [config file]]
// Without a socket path it listens where the tool looks under the same environment. Prints "ready" once
// it listens and serves until SIGINT or SIGTERM.
#include "Agents/BundledResources.h"
#include "Command/CommandOutput.h"
#include "Command/CommandParser.h"
#include "Command/Invocation.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/QuorvaneSession.h"
#include "QuorvaneIPC/SocketServer.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Router/CommandContext.h"
#include "Router/CommandRouter.h"
#include "Router/DoctorCheck.h"
#include "Router/QuorvaneControlling.h"
#include "Support/QuorvaneError.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace {

using namespace quorvane;

class StillController : public QuorvaneControlling {
public:
    void snap(const std::string&, TileSlot, std::optional<int64_t>) override { }
    Layout captureLayout(const std::string& name) override { return Layout { name, {} }; }
    void applyLayout(const std::string&) override { }
    std::vector<DoctorCheck> permissionChecks() override
    {
        return { DoctorCheck { "accessibility", DoctorCheck::Status::pass, "Accessibility is allowed." } };
    }
    std::string macName() override { return "Bench"; }
};

ConfigFile loadConfig(const char* path)
{
    if (!path)
        return ConfigFile::makeDefault();
    std::ifstream stream(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    return stream ? ConfigFile(text) : ConfigFile::makeDefault();
}

} // namespace

int main(int argc, char** argv)
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    // Blocked before the socket thread starts, so only sigwait below receives them.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::mutex lock;
    ConfigFile file = loadConfig(argc > 2 ? argv[2] : nullptr);
    StillController controller;
    CommandContext context;
    context.paths = QuorvanePaths::fromEnvironment(std::getenv("HOME") ? std::getenv("HOME") : "");
    context.skillText = BundledResources::skillText();
    context.manifestFolders = BundledResources::skillFolders();
    context.controller = &controller;

    std::string socket = argc > 1 ? argv[1] : context.paths.resolvedSocketFile(QuorvanePaths::socketPathLimit);
    auto server = SocketServer::create(socket, [&](const RPCRequest& request, std::stop_token) {
        std::lock_guard guard(lock);
        try {
            Invocation invocation = CommandParser::parse(request.arguments);
            ConfigFile copy = file;
            CommandOutput output = CommandRouter::run(invocation, copy, context);
            file = copy;
            return RPCResponse("", output);
        } catch (const QuorvaneError& error) {
            return RPCResponse("", error.exitCode(), error.message(), "{}");
        }
    });
    try {
        server->start();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quorvane-bench-server: %s\n", error.what());
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    server->stop();
    return 0;
}
