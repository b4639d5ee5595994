#pragma once

#include "Platforms/GLib/ApplicationIds.h"
#include "Platforms/KWin/KWinCommandQueue.h"
#include "Platforms/KWin/KWinSnapshot.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneApp/Platform/WindowSystem.h"

#include <mutex>
#include <string>

typedef struct _GDBusMethodInvocation GDBusMethodInvocation;

namespace quorvane {

class KWinConnection;

// Windows and displays of KWin, through a long-lived script of ours that KWin runs: the script reports every
// change to an object this class exports on the session bus, so that reads come from the snapshot those
// reports keep current, and fetches the moves asked for here by calling that object and waiting for the
// answer. Frames are KWin's frame geometry (client area plus server-side decoration) and moves set it exactly.
class KWinWindowSystem : public WindowSystem {
public:
    // The object the script reaches, on the application's own connection.
    static constexpr const char* objectPath = "/org/quorvane/KWin";
    static constexpr const char* interfaceName = "org.quorvane.KWinReports";
    // A fetch waits at most this long for commands before it is answered with none, well inside the time
    // KWin waits for an answer.
    static constexpr double longestFetch = 10;

    // Exports the object the script reports to; the script itself is written to `scriptFolder` and loaded
    // under `scriptName` by `start`. Create on the main thread, whose GLib context then takes the reports.
    KWinWindowSystem(KWinConnection&, MainLoop&, std::string scriptFolder, std::string scriptName);
    ~KWinWindowSystem() override;
    KWinWindowSystem(const KWinWindowSystem&) = delete;
    KWinWindowSystem& operator=(const KWinWindowSystem&) = delete;

    // Writes and loads the script, then turns GLib's default context until it has listed every window and
    // fetches commands, so that the first census sees the windows that were there before; throws
    // std::system_error when KWin refuses the script or it has not done both within `seconds`.
    void start(double seconds = 5);

    std::vector<WindowFacts> windows() override;
    std::optional<std::vector<OnScreenWindow>> onScreenWindows() override;
    std::optional<WindowFacts> focusedWindow() override;
    std::vector<DisplayFacts> displays() override;
    std::optional<Frame> readFrame(WindowHandle) override;
    void setFrame(WindowHandle, const Frame&, AxisWrite) override;
    // A move only hands a command to the script, without waiting for anything.
    bool writesPromptly() const override { return true; }
    void raise(WindowHandle) override;
    EnhancedMode enhancedMode(int32_t pid) override;
    void setEnhancedMode(int32_t pid, bool on) override;
    double refreshRate() override;
    void setChangeHandler(std::function<void()> handler) override;

    // Asks KWin to minimise the window.
    void minimize(WindowHandle);
    // Has the script place the application's own overlay window called `title` at `frame`, now and whenever
    // it maps again, above other windows, out of the task bar and switcher, and never left active.
    void placeOwnWindow(const std::string& title, const Frame& frame);
    // Whether the script runs: it has listed the windows and keeps fetching commands. Main thread.
    bool reporting();

private:
    // The exported object's method calls reach the class through this.
    struct Calls;
    friend struct Calls;

    void loadScript();
    void takeReport(const std::string& generation, const std::string& text);
    void takeFetch(GDBusMethodInvocation*, const std::string& generation);
    // Queues a command, answering a waiting fetch at once. Any thread.
    void send(KWinCommand);
    // Answers a fetch that has waited too long, and loads the script again when it has stopped fetching.
    void watch();
    std::string applicationOf(const KWinWindowReport&);

    KWinConnection& m_connection;
    MainLoop& m_mainLoop;
    std::string m_scriptFolder;
    std::string m_scriptName;
    KWinSnapshot m_snapshot;
    ApplicationIds m_applicationIds;
    unsigned m_registration = 0;
    // How often the script was loaded, and the generation that tells this script's calls from those of a
    // script loaded before it (main thread).
    uint64_t m_loads = 0;
    std::string m_generation;
    std::function<void()> m_changeHandler;
    bool m_changePosted = false;
    TimerId m_watchTimer = 0;

    // The commands and the script's waiting fetch, reached from the main thread and animation workers.
    std::mutex m_commandsMutex;
    KWinCommandQueue m_commands;
    GDBusMethodInvocation* m_waitingFetch = nullptr;
    double m_fetchSince = 0;
    // When the script last fetched; none before it ever did.
    std::optional<double> m_lastFetch;

    WeakSelf<KWinWindowSystem> m_self { *this };
};

} // namespace quorvane
