// The `quorvane-app` executable: builds a desktop backend, runs the application model on the GLib main loop
// until SIGINT or SIGTERM, and leaves no socket behind.
//   quorvane-app               the X11 desktop on $DISPLAY
//   quorvane-app --simulate    the simulated desktop with sample windows on two displays
//   quorvane-app --link-cli    links the `quorvane` beside this executable into the PATH and says where
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GLib/GLibWorkerPool.h"
#include "Platforms/GLib/GioFileWatcher.h"
#include "Platforms/GTK/GTKOverlayPanels.h"
#include "Platforms/Linux/AutostartLoginItem.h"
#include "Platforms/Simulated/SimulatedDesktop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "QuorvaneApp/Setup/CLILink.h"
#include "QuorvaneNet/QuietSession.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

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

// Exit status when there is no display to run on.
constexpr int noDisplayStatus = 3;

// Runs the model on `platform` until SIGINT or SIGTERM, or until something quits the loop.
int runModel(GLibMainLoop& loop, const Platform& platform)
{
    AppModel model(platform, environmentOfProcess());
    loop.onTerminationSignal([&] {
        model.beginQuitting();
        loop.quit();
    });
    loop.post([&] { model.finishLaunch(); });
    loop.run();
    return 0;
}

int runSimulated()
{
    GLibMainLoop loop;
    SimulatedDesktop desktop(loop);
    desktop.addSampleScene();
    GioFileWatcher fileWatcher;
    GLibWorkerPool workers;
    return runModel(loop,
        Platform { loop, desktop.windowSystem, workers, desktop.applications, desktop.hotkeys, desktop.keyboardTap,
            fileWatcher, desktop.permissions, desktop.overlay, desktop.loginItem });
}

int runOnX11()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fputs("quorvane-app: no X display to run on (DISPLAY is not set). Quorvane needs an X11 session with "
                   "an EWMH window manager; Wayland sessions are not supported yet.\n",
            stderr);
        return noDisplayStatus;
    }
    GLibMainLoop loop;
    std::optional<X11Desktop> desktop;
    try {
        desktop.emplace(loop);
    } catch (const std::system_error& error) {
        std::fprintf(
            stderr, "quorvane-app: %s. Quorvane needs an X11 session with an EWMH window manager.\n", error.what());
        return noDisplayStatus;
    }
    int status = 0;
    desktop->setConnectionLostHandler([&] {
        std::fprintf(stderr, "quorvane-app: the X display %s has gone away.\n", display);
        status = noDisplayStatus;
        loop.quit();
    });
    // GTK draws the overlay on the same display, on GLib's default context that the main loop runs. It starts
    // before the worker threads, while its environment is still the process's alone.
    std::optional<GTKOverlayPanels> gtkOverlay;
    SimulatedOverlayPanels hiddenOverlay;
    if (GTKOverlayPanels::start(display))
        gtkOverlay.emplace();
    else
        std::fprintf(stderr, "quorvane-app: GTK cannot open the display %s; tile mode runs without its overlay.\n",
            display);
    OverlayPanels& overlay = gtkOverlay ? static_cast<OverlayPanels&>(*gtkOverlay) : hiddenOverlay;
    GioFileWatcher fileWatcher;
    GLibWorkerPool workers;
    AutostartLoginItem loginItem(ProcessPlaces::paths().autostartDirectory(), ProcessPlaces::executable().value_or(""),
        [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    int modelStatus = runModel(loop,
        Platform { loop, desktop->windowSystem(), workers, desktop->applications(), desktop->hotkeys(),
            desktop->keyboardTap(), fileWatcher, desktop->permissions(), overlay, loginItem });
    return status ? status : modelStatus;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return runOnX11();
    if (arguments == std::vector<std::string> { "--simulate" })
        return runSimulated();
    if (arguments == std::vector<std::string> { "--link-cli" })
        return linkCommandLineTool();
    std::fputs("usage: quorvane-app [--simulate | --link-cli]\n"
               "  without options it manages the windows of the X display in $DISPLAY;\n"
               "  --simulate runs on a simulated desktop instead;\n"
               "  --link-cli links the quorvane beside it into the PATH.\n",
        stderr);
    return 1;
}
