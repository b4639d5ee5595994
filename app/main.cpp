// The `quorvane-app` executable: builds a desktop backend, runs the application model on the GLib main loop
// until SIGINT or SIGTERM, and leaves no socket behind.
//   quorvane-app --simulate    the simulated desktop with sample windows on two displays
//   quorvane-app --link-cli    links the `quorvane` beside this executable into the PATH and says where
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GLib/GLibWorkerPool.h"
#include "Platforms/GLib/GioFileWatcher.h"
#include "Platforms/Simulated/SimulatedDesktop.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "QuorvaneApp/Setup/CLILink.h"
#include "QuorvaneNet/QuietSession.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace quorvane;

int linkCommandLineTool()
{
    std::vector<std::string> commands;
    if (std::optional<std::string> folder = ProcessPlaces::executableFolder())
        commands.push_back(*folder + "quorvane");
    std::string message = CLILink::install(commands, ProcessPlaces::paths().preferredCLILinks());
    std::puts(message.c_str());
    return message.starts_with("Linked ") ? 0 : 1;
}

std::optional<std::string> fetchIcon(const std::string& url, double seconds)
{
    using std::chrono::milliseconds;
    auto total = milliseconds(static_cast<int64_t>(seconds * 1000));
    QuietSession::Limits limits;
    // The session waits a grace period beyond its own limit; together they stay within `seconds`.
    limits.timeLimit = total * 4 / 5;
    limits.grace = total - limits.timeLimit;
    return QuietSession(limits).iconData(url);
}

AppEnvironment environmentOfProcess()
{
    AppEnvironment environment;
    environment.paths = ProcessPlaces::paths();
    if (const char* step = std::getenv("QUORVANE_SETUP_STEP"))
        environment.setupStep = step;
    environment.hostBinary = ProcessPlaces::hostBinary();
    environment.fetchIcon = fetchIcon;
    return environment;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments == std::vector<std::string> { "--link-cli" })
        return linkCommandLineTool();
    if (arguments != std::vector<std::string> { "--simulate" }) {
        std::fputs("usage: quorvane-app --simulate | --link-cli\n"
                   "Only the simulated desktop is available in this build.\n",
            stderr);
        return 1;
    }

    GLibMainLoop loop;
    SimulatedDesktop desktop(loop);
    desktop.addSampleScene();
    GioFileWatcher fileWatcher;
    GLibWorkerPool workers;
    Platform platform { loop, desktop.windowSystem, workers, desktop.applications, desktop.hotkeys, desktop.keyboardTap,
        fileWatcher, desktop.permissions, desktop.overlay, desktop.loginItem };

    AppModel model(platform, environmentOfProcess());
    loop.onTerminationSignal([&] {
        model.beginQuitting();
        loop.quit();
    });
    loop.post([&] { model.finishLaunch(); });
    loop.run();
    return 0;
}
