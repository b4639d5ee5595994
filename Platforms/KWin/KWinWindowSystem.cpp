#include "Platforms/KWin/KWinWindowSystem.h"

#include "Platforms/KWin/KWinCensusScript.h"
#include "Platforms/KWin/KWinConnection.h"
#include "Support/AtomicFile.h"

#include <gio/gio.h>

#include <unistd.h>

#include <system_error>

namespace quorvane {

namespace {

constexpr const char* introspection = R"XML(
<node>
  <interface name="org.quorvane.KWinReports">
    <method name="Report">
      <arg type="s" name="generation" direction="in"/>
      <arg type="s" name="report" direction="in"/>
    </method>
    <method name="Commands">
      <arg type="s" name="generation" direction="in"/>
      <arg type="s" name="commands" direction="out"/>
    </method>
  </interface>
</node>
)XML";

// What a fetch of a script that must stop is answered with: anything but a list.
constexpr const char* stopAnswer = "\"stop\"";
// How often the fetches are looked after.
constexpr double watchInterval = 2.5;

void answer(GDBusMethodInvocation* invocation, const std::string& text)
{
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(s)", text.c_str()));
}

} // namespace

struct KWinWindowSystem::Calls {
    static void method(GDBusConnection*, const char* sender, const char*, const char*, const char* method,
        GVariant* parameters, GDBusMethodInvocation* invocation, void* data)
    {
        auto& system = *static_cast<KWinWindowSystem*>(data);
        if (!system.m_connection.acceptsCall(sender, invocation))
            return;
        if (g_strcmp0(method, "Report") == 0) {
            const char* generation = nullptr;
            const char* report = nullptr;
            g_variant_get(parameters, "(&s&s)", &generation, &report);
            system.takeReport(generation, report);
            g_dbus_method_invocation_return_value(invocation, nullptr);
        } else if (g_strcmp0(method, "Commands") == 0) {
            const char* generation = nullptr;
            g_variant_get(parameters, "(&s)", &generation);
            system.takeFetch(invocation, generation);
        } else {
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.UnknownMethod", "No such method.");
        }
    }
};

KWinWindowSystem::KWinWindowSystem(
    KWinConnection& connection, MainLoop& mainLoop, std::string scriptFolder, std::string scriptName)
    : m_connection(connection)
    , m_mainLoop(mainLoop)
    , m_scriptFolder(std::move(scriptFolder))
    , m_scriptName(std::move(scriptName))
    , m_snapshot(static_cast<int32_t>(::getpid()))
{
    m_snapshot.setScreenNames(m_connection.supportInfo().screenNames);
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(introspection, &error);
    static const GDBusInterfaceVTable vtable { Calls::method, nullptr, nullptr, { nullptr } };
    m_registration = g_dbus_connection_register_object(
        m_connection.bus(), objectPath, node->interfaces[0], &vtable, this, nullptr, &error);
    if (!m_registration)
        throw std::system_error(std::make_error_code(std::errc::io_error),
            std::string("Cannot export the object KWin reports to: ") + error->message);
}

KWinWindowSystem::~KWinWindowSystem()
{
    if (m_watchTimer)
        m_mainLoop.cancelTimer(m_watchTimer);
    GDBusMethodInvocation* waiting = nullptr;
    {
        std::lock_guard lock(m_commandsMutex);
        std::swap(waiting, m_waitingFetch);
    }
    if (waiting)
        answer(waiting, stopAnswer);
    if (m_loads)
        m_connection.unloadScript(m_scriptName, 1);
    g_dbus_connection_unregister_object(m_connection.bus(), m_registration);
}

void KWinWindowSystem::start(double seconds)
{
    loadScript();
    GMainContext* context = g_main_context_default();
    bool expired = false;
    guint deadline = g_timeout_add(
        static_cast<guint>(seconds * 1000),
        [](void* flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &expired);
    while (!reporting() && !expired)
        g_main_context_iteration(context, TRUE);
    if (!expired)
        g_source_remove(deadline);
    if (!reporting()) {
        m_connection.unloadScript(m_scriptName, 1);
        throw std::system_error(std::make_error_code(std::errc::timed_out), "KWin does not run Quorvane's script");
    }
    m_watchTimer
        = m_mainLoop.addTimer(watchInterval, true, m_self.bind([](KWinWindowSystem& system) { system.watch(); }));
}

void KWinWindowSystem::loadScript()
{
    m_generation = std::to_string(::getpid()) + "." + std::to_string(++m_loads);
    std::string path = m_scriptFolder + "/" + m_scriptName + ".js";
    AtomicFile::write(KWinCensusScript::text({ m_connection.uniqueName(), objectPath, interfaceName, m_generation,
                          static_cast<int32_t>(::getpid()) }),
        path, 0600);
    GDBusMethodInvocation* waiting = nullptr;
    {
        std::lock_guard lock(m_commandsMutex);
        m_lastFetch.reset();
        std::swap(waiting, m_waitingFetch);
    }
    // The script being replaced stops fetching; what is queued waits for the new one.
    if (waiting)
        answer(waiting, stopAnswer);
    // A script of the same name left by an earlier run (or this run's own, stalled) gives way.
    m_connection.unloadScript(m_scriptName);
    m_connection.runScript(path, m_scriptName);
}

void KWinWindowSystem::takeReport(const std::string& generation, const std::string& text)
{
    if (generation != m_generation)
        return;
    std::optional<KWinReport> report = KWinReport::decode(text);
    if (!report)
        return;
    bool changed = m_snapshot.apply(*report, [this](const KWinWindowReport& window) { return applicationOf(window); });
    // Several reports in one burst make one census.
    if (changed && m_changeHandler && !m_changePosted) {
        m_changePosted = true;
        m_mainLoop.post(m_self.bind([](KWinWindowSystem& system) {
            system.m_changePosted = false;
            if (system.m_changeHandler)
                system.m_changeHandler();
        }));
    }
}

void KWinWindowSystem::takeFetch(GDBusMethodInvocation* invocation, const std::string& generation)
{
    if (generation != m_generation) {
        answer(invocation, stopAnswer);
        return;
    }
    GDBusMethodInvocation* stale = nullptr;
    std::string commands;
    {
        std::lock_guard lock(m_commandsMutex);
        m_lastFetch = m_mainLoop.now();
        // A second fetch of the same script would double its fetching: the older one stops.
        stale = m_waitingFetch;
        m_waitingFetch = nullptr;
        if (m_commands.empty()) {
            m_waitingFetch = invocation;
            m_fetchSince = *m_lastFetch;
            invocation = nullptr;
        } else {
            commands = m_commands.take();
        }
    }
    if (stale)
        answer(stale, stopAnswer);
    if (invocation)
        answer(invocation, commands);
}

void KWinWindowSystem::send(KWinCommand command)
{
    GDBusMethodInvocation* waiting = nullptr;
    std::string commands;
    {
        std::lock_guard lock(m_commandsMutex);
        m_commands.push(std::move(command));
        std::swap(waiting, m_waitingFetch);
        if (waiting)
            commands = m_commands.take();
    }
    // GDBus sends from any thread: a worker's move goes out without waiting for the main thread.
    if (waiting)
        answer(waiting, commands);
}

void KWinWindowSystem::watch()
{
    double now = m_mainLoop.now();
    GDBusMethodInvocation* waiting = nullptr;
    bool stalled = false;
    {
        std::lock_guard lock(m_commandsMutex);
        if (m_waitingFetch && now - m_fetchSince >= longestFetch)
            std::swap(waiting, m_waitingFetch);
        // A fetch is answered within milliseconds by the next one; a script that has not fetched for this long
        // has lost its answer (KWin gave up waiting) and fetches no more.
        stalled = !m_waitingFetch && !waiting && m_lastFetch && now - *m_lastFetch >= longestFetch + watchInterval;
    }
    if (waiting)
        answer(waiting, "[]");
    if (stalled) {
        try {
            loadScript();
        } catch (const std::system_error&) {
            // KWin refuses scripts now; the next look tries again.
            std::lock_guard lock(m_commandsMutex);
            m_lastFetch = now;
        }
    }
}

bool KWinWindowSystem::reporting()
{
    std::lock_guard lock(m_commandsMutex);
    if (!m_snapshot.complete() || !m_lastFetch)
        return false;
    // A script that has stopped fetching is about to be loaded again.
    return m_waitingFetch || m_mainLoop.now() - *m_lastFetch < longestFetch + watchInterval;
}

std::string KWinWindowSystem::applicationOf(const KWinWindowReport& window)
{
    if (!window.desktopFile.empty())
        return ApplicationIds::idOfDesktopFile(window.desktopFile);
    return m_applicationIds.resolve(window.pid, window.resourceName, window.resourceClass);
}

std::vector<WindowFacts> KWinWindowSystem::windows()
{
    return m_snapshot.windows();
}

std::optional<std::vector<OnScreenWindow>> KWinWindowSystem::onScreenWindows()
{
    return std::nullopt;
}

std::optional<WindowFacts> KWinWindowSystem::focusedWindow()
{
    return m_snapshot.active();
}

std::vector<DisplayFacts> KWinWindowSystem::displays()
{
    return m_snapshot.displays();
}

std::optional<Frame> KWinWindowSystem::readFrame(WindowHandle handle)
{
    return m_snapshot.frame(handle);
}

void KWinWindowSystem::setFrame(WindowHandle handle, const Frame& frame, AxisWrite)
{
    if (std::optional<std::string> id = m_snapshot.kwinId(handle))
        send({ KWinCommand::Action::move, *id, frame });
}

void KWinWindowSystem::raise(WindowHandle handle)
{
    if (std::optional<std::string> id = m_snapshot.kwinId(handle))
        send({ KWinCommand::Action::activate, *id, {} });
}

void KWinWindowSystem::minimize(WindowHandle handle)
{
    if (std::optional<std::string> id = m_snapshot.kwinId(handle))
        send({ KWinCommand::Action::minimize, *id, {} });
}

void KWinWindowSystem::placeOwnWindow(const std::string& title, const Frame& frame)
{
    send({ KWinCommand::Action::place, title, frame });
}

EnhancedMode KWinWindowSystem::enhancedMode(int32_t)
{
    return EnhancedMode::unknown;
}

void KWinWindowSystem::setEnhancedMode(int32_t, bool) { }

double KWinWindowSystem::refreshRate()
{
    return m_connection.supportInfo().refreshRate;
}

void KWinWindowSystem::setChangeHandler(std::function<void()> handler)
{
    m_changeHandler = std::move(handler);
}

} // namespace quorvane
