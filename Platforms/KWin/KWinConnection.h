#pragma once

#include "Platforms/KWin/KWinSupportInfo.h"

#include <functional>
#include <string>

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GDBusMethodInvocation GDBusMethodInvocation;

namespace quorvane {

// A private connection to the session bus on which KWin runs, and KWin's scripting over it: scripts are
// files that KWin loads, runs and unloads by name. Main thread only.
class KWinConnection {
public:
    // Connects to the session bus and finds KWin on it; throws std::system_error when there is no session bus
    // or org.kde.KWin is not on it.
    KWinConnection();
    ~KWinConnection();
    KWinConnection(const KWinConnection&) = delete;
    KWinConnection& operator=(const KWinConnection&) = delete;

    // Whether org.kde.KWin is on the session bus; asks nothing else and keeps no connection.
    static bool kwinOnSessionBus();

    GDBusConnection* bus() const { return m_bus; }
    // This connection's unique name (":1.42"), where KWin's scripts reach the application.
    const std::string& uniqueName() const { return m_uniqueName; }
    // The unique name of KWin's own connection, the only sender whose calls are taken.
    const std::string& kwinName() const { return m_kwinName; }
    // Whether a call to one of the application's objects comes from KWin; any other caller is answered
    // "access denied" here.
    bool acceptsCall(const char* sender, GDBusMethodInvocation*) const;
    const KWinSupportInfo& supportInfo() const { return m_supportInfo; }

    // Loads the script file at `path` under `name` and runs it; throws std::system_error when KWin refuses.
    void runScript(const std::string& path, const std::string& name);
    // Stops and removes the script called `name`, waiting at most `seconds`; false when none was loaded.
    bool unloadScript(const std::string& name, double seconds = 5);
    // Removes the shortcut `name` of KWin's from the shortcut service, which keeps a script's shortcuts, and
    // their keys, after the script is gone. Best effort: a failure leaves it there.
    void forgetShortcut(const std::string& name);

    // `handler` runs on the main thread when KWin leaves the bus or the bus goes away.
    void setLostHandler(std::function<void()> handler) { m_lostHandler = std::move(handler); }

private:
    static void nameVanished(GDBusConnection*, const char* name, void* self);
    static void busClosed(GDBusConnection*, int remotePeerVanished, void* error, void* self);
    void lost();

    GDBusConnection* m_bus = nullptr;
    std::string m_uniqueName;
    std::string m_kwinName;
    KWinSupportInfo m_supportInfo;
    unsigned m_nameWatch = 0;
    unsigned long m_closedHandler = 0;
    bool m_lost = false;
    std::function<void()> m_lostHandler;
};

} // namespace quorvane
