// The `quorvane-app` executable: builds a desktop backend, runs the application model on the GLib main loop
// until SIGINT, SIGTERM or SIGHUP, and leaves no socket behind. One runs per login.
//   quorvane-app                  the desktop of the session: KWin when a Wayland session has it on the
//                                 session bus, else the X11 display in $DISPLAY
//   quorvane-app --backend x11    the X11 display in $DISPLAY, whatever the session
//   quorvane-app --backend kwin   KWin on the session bus (KDE Plasma on Wayland)
//   quorvane-app --simulate       the simulated desktop with sample windows on two displays
//   quorvane-app --link-cli       links the `quorvane` beside this executable into the PATH and says where
//   quorvane-app --help           the help screen
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GLib/GLibWorkerPool.h"
#include "Platforms/GLib/GioFileWatcher.h"
#include "Platforms/GLib/SignalWatch.h"
#include "Platforms/GTK/GTKAppWindows.h"
#include "Platforms/GTK/GTKOverlayPanels.h"
#include "Platforms/GTK/GTKStatusItem.h"
#include "Platforms/KWin/KWinDesktop.h"
#include "Platforms/Linux/AutostartLoginItem.h"
#include "Platforms/Linux/InstanceLock.h"
#include "Platforms/Simulated/SimulatedDesktop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Keys/HotkeyCenter.h"
#include "QuorvaneApp/Model/AppModel.h"
#include "QuorvaneApp/Setup/CLILink.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "QuorvaneNet/QuietSession.h"
#include "app/AppUsage.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

using namespace quorvane;

int linkCommandLineTool()
{
    std::vector<std::string> commands;
    if (std::optional<std::string> folder = ProcessPlaces::executableFolder())
        commands.push_back(*folder + "quorvane");
    CLILink::Outcome outcome = CLILink::install(commands, ProcessPlaces::paths().preferredCLILinks());
    std::puts(outcome.message.c_str());
    return outcome.linked ? 0 : 1;
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
    // Beside this executable when installed; in the build tree, in the tool's own folder.
    if (std::optional<std::string> folder = ProcessPlaces::executableFolder()) {
        environment.cliCommands.push_back(*folder + "quorvane");
        environment.cliCommands.push_back(std::filesystem::path(*folder + "../cli/quorvane").lexically_normal());
    }
    if (const char* path = std::getenv("PATH"))
        environment.searchPath = path;
    environment.fetchIcon = fetchIcon;
    environment.updateFeed = ProcessPlaces::updateFeed();
    // The tray's menu shows the banner; where no tray runs, a person who started the application from a
    // terminal reads it here.
    environment.logLine = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    return environment;
}

// The folder of icon themes that holds the application's own icons: share/icons beside the folder of the
// executable, in the build tree as in an installed prefix; empty when the icons are not there.
std::string iconThemeFolder()
{
    std::optional<std::string> folder = ProcessPlaces::executableFolder();
    if (!folder)
        return "";
    std::string themes = *folder + "../share/icons";
    std::error_code error;
    bool found = std::filesystem::exists(themes + "/hicolor/scalable/apps/quorvane-symbolic.svg", error);
    return found ? std::filesystem::weakly_canonical(themes, error).string() : "";
}

// Exit status when there is no display to run on.
constexpr int noDisplayStatus = 3;
// What a person reads when the desktop is none that Quorvane runs on.
constexpr const char* supportedDesktops
    = "Quorvane runs in an X11 session with an EWMH window manager, or on KDE Plasma on Wayland.";
// Exit status when another application already runs for this login.
constexpr int alreadyRunningStatus = 1;

// Takes the one-application-per-login lock into `lock`; false, after saying so, when another application
// holds it. A setup probe opens no socket and takes no lock.
bool onlyInstance(std::optional<InstanceLock>& lock)
{
    if (std::getenv("QUORVANE_SETUP_STEP"))
        return true;
    std::string socket = ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit);
    try {
        lock.emplace(InstanceLock::besideSocket(socket));
    } catch (const std::system_error& error) {
        // Without a lock file the socket still tells a second application apart; run as before.
        std::fprintf(stderr, "quorvane-app: %s.\n", error.what());
        return true;
    }
    if (lock->held())
        return true;
    if (pid_t holder = lock->holder())
        std::fprintf(stderr, "Quorvane is already running. Its process id is %d.\n", static_cast<int>(holder));
    else
        std::fputs("Quorvane is already running.\n", stderr);
    return false;
}

// Runs the model on `platform` until SIGINT, SIGTERM or SIGHUP, or until something quits the loop.
int runModel(GLibMainLoop& loop, const Platform& platform)
{
    AppModel model(platform, environmentOfProcess());
    auto quit = [&] {
        model.beginQuitting();
        loop.quit();
    };
    loop.onTerminationSignal(quit);
    std::optional<SignalWatch> signals;
    signals.emplace(std::initializer_list<int> { SIGHUP, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU }, [&](int signal) {
        if (signal == SIGHUP) {
            quit();
        } else if (signal != SIGPIPE) {
            // A stopped process would hold the leader key's synchronous grab, and with it every program's
            // keyboard: the keys go first, and come back once the process is continued.
            model.hotkeys().release();
            signals->actAsDefault(signal);
            model.hotkeys().rebind();
        }
        // A broken pipe (a closed standard error, a client gone) only fails the write that found it.
    });
    loop.post([&] { model.finishLaunch(); });
    loop.run();
    return 0;
}

// Standard descriptors that are closed get /dev/null, so that no socket or file opened later takes their
// number and receives what is written to standard error.
void openStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF && ::open("/dev/null", O_RDWR) != fd)
            return;
    }
}

int runSimulated()
{
    std::optional<InstanceLock> lock;
    if (!onlyInstance(lock))
        return alreadyRunningStatus;
    GLibMainLoop loop;
    SimulatedDesktop desktop(loop);
    desktop.addSampleScene();
    GioFileWatcher fileWatcher;
    GLibWorkerPool workers;
    return runModel(loop,
        Platform { loop, desktop.windowSystem, workers, desktop.applications, desktop.hotkeys, desktop.keyboardTap,
            fileWatcher, desktop.permissions, desktop.overlay, desktop.loginItem, desktop.statusItem,
            desktop.appWindows });
}

AutostartLoginItem loginItemOfProcess()
{
    return AutostartLoginItem(ProcessPlaces::paths().autostartDirectory(), ProcessPlaces::executable().value_or(""),
        [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
}

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

int runOnX11()
{
    if (!isSet("DISPLAY")) {
        std::fprintf(stderr, "quorvane-app: no X display to run on (DISPLAY is not set). %s\n", supportedDesktops);
        return noDisplayStatus;
    }
    const char* display = std::getenv("DISPLAY");
    std::optional<InstanceLock> lock;
    if (!onlyInstance(lock))
        return alreadyRunningStatus;
    GLibMainLoop loop;
    std::optional<X11Desktop> desktop;
    try {
        desktop.emplace(loop);
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "quorvane-app: %s. %s\n", error.what(), supportedDesktops);
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
    std::optional<GTKStatusItem> gtkStatusItem;
    std::optional<GTKAppWindows> gtkAppWindows;
    SimulatedOverlayPanels hiddenOverlay;
    SimulatedStatusItem hiddenStatusItem;
    SimulatedAppWindows hiddenAppWindows;
    hiddenStatusItem.setHost(TrayHost::none);
    if (GTKOverlayPanels::start(display)) {
        gtkOverlay.emplace();
        gtkStatusItem.emplace("quorvane", iconThemeFolder());
        gtkAppWindows.emplace();
    } else {
        std::fprintf(stderr,
            "quorvane-app: GTK cannot open the display %s; tile mode runs without its overlay, and there is no tray "
            "item.\n",
            display);
    }
    OverlayPanels& overlay = gtkOverlay ? static_cast<OverlayPanels&>(*gtkOverlay) : hiddenOverlay;
    StatusItem& statusItem = gtkStatusItem ? static_cast<StatusItem&>(*gtkStatusItem) : hiddenStatusItem;
    AppWindows& appWindows = gtkAppWindows ? static_cast<AppWindows&>(*gtkAppWindows) : hiddenAppWindows;
    GioFileWatcher fileWatcher;
    GLibWorkerPool workers;
    AutostartLoginItem loginItem = loginItemOfProcess();
    int modelStatus = runModel(loop,
        Platform { loop, desktop->windowSystem(), workers, desktop->applications(), desktop->hotkeys(),
            desktop->keyboardTap(), fileWatcher, desktop->permissions(), overlay, loginItem, statusItem, appWindows });
    return status ? status : modelStatus;
}

int runOnKWin()
{
    std::optional<InstanceLock> lock;
    if (!onlyInstance(lock))
        return alreadyRunningStatus;
    // The tray item is drawn by Plasma from what it reads over the session bus; GTK, which makes the item and
    // the windows its lines open, runs on Xwayland's display. It starts before any thread, as on X11.
    std::optional<GTKStatusItem> gtkStatusItem;
    std::optional<GTKAppWindows> gtkAppWindows;
    SimulatedStatusItem hiddenStatusItem;
    SimulatedAppWindows hiddenAppWindows;
    hiddenStatusItem.setHost(TrayHost::none);
    const char* xwayland = std::getenv("DISPLAY");
    bool gtk = xwayland && *xwayland && GTKOverlayPanels::start(xwayland);
    GLibMainLoop loop;
    std::optional<KWinDesktop> desktop;
    try {
        desktop.emplace(loop, ProcessPlaces::paths().cacheDirectory() + "/kwin");
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "quorvane-app: %s. %s\n", error.what(), supportedDesktops);
        return noDisplayStatus;
    }
    int status = 0;
    auto kwinGone = [&] {
        if (status)
            return;
        std::fputs("quorvane-app: KWin has gone away.\n", stderr);
        status = noDisplayStatus;
        loop.quit();
    };
    desktop->setConnectionLostHandler(kwinGone);
    if (gtk) {
        gtkStatusItem.emplace("quorvane", iconThemeFolder());
        gtkAppWindows.emplace();
    } else {
        std::fputs(
            "quorvane-app: GTK cannot open Xwayland's display; there is no tray item or settings window.\n", stderr);
    }
    StatusItem& statusItem = gtkStatusItem ? static_cast<StatusItem&>(*gtkStatusItem) : hiddenStatusItem;
    AppWindows& appWindows = gtkAppWindows ? static_cast<AppWindows&>(*gtkAppWindows) : hiddenAppWindows;
    // The overlay's panels are Wayland clients, which KWin's script places; without GTK tile mode runs
    // without them.
    std::optional<GTKOverlayPanels> gtkOverlay;
    SimulatedOverlayPanels hiddenOverlay;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (gtk && wayland && GTKOverlayPanels::openWayland(wayland, kwinGone))
        gtkOverlay.emplace(
            [&desktop](const std::string& title, const Frame& frame) { desktop->placeOwnWindow(title, frame); });
    else if (gtk)
        std::fputs("quorvane-app: GTK cannot open the Wayland display; tile mode shows no overlay.\n", stderr);
    OverlayPanels& overlay = gtkOverlay ? static_cast<OverlayPanels&>(*gtkOverlay) : hiddenOverlay;
    GioFileWatcher fileWatcher;
    GLibWorkerPool workers;
    AutostartLoginItem loginItem = loginItemOfProcess();
    int modelStatus = runModel(loop,
        Platform { loop, desktop->windowSystem(), workers, desktop->applications(), desktop->hotkeys(),
            desktop->keyboardTap(), fileWatcher, desktop->permissions(), overlay, loginItem, statusItem, appWindows });
    return status ? status : modelStatus;
}

// The session's own desktop: KWin in a Wayland session that has it, X11 in a session without Wayland.
int runOnSessionDesktop()
{
    if (isSet("WAYLAND_DISPLAY")) {
        if (KWinDesktop::kwinOnSessionBus())
            return runOnKWin();
        std::fprintf(stderr, "quorvane-app: this Wayland session's desktop is not KDE Plasma. %s\n", supportedDesktops);
        return noDisplayStatus;
    }
    if (isSet("DISPLAY"))
        return runOnX11();
    std::fprintf(stderr, "quorvane-app: no desktop to run on (neither WAYLAND_DISPLAY nor DISPLAY is set). %s\n",
        supportedDesktops);
    return noDisplayStatus;
}

} // namespace

int main(int argc, char** argv)
{
    openStandardDescriptors();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return runOnSessionDesktop();
    if (arguments == std::vector<std::string> { "--backend", "x11" })
        return runOnX11();
    if (arguments == std::vector<std::string> { "--backend", "kwin" })
        return runOnKWin();
    if (arguments == std::vector<std::string> { "--simulate" })
        return runSimulated();
    if (arguments == std::vector<std::string> { "--link-cli" })
        return linkCommandLineTool();
    bool help = arguments == std::vector<std::string> { "--help" } || arguments == std::vector<std::string> { "-h" };
    std::fputs(AppUsage::text().c_str(), help ? stdout : stderr);
    return help ? 0 : 1;
}
