#include "Platforms/KWin/KWinConnection.h"

#include <gio/gio.h>

#include <cerrno>
#include <system_error>

namespace quorvane {

namespace {

constexpr const char* kwinService = "org.kde.KWin";
constexpr int callMilliseconds = 5000;

[[noreturn]] void fail(const std::string& what, GError* error)
{
    std::string message = what;
    if (error)
        message += ": " + std::string(error->message);
    throw std::system_error(std::make_error_code(std::errc::io_error), message);
}

// The session bus's address: the environment's, else the login's bus in the runtime folder. Never one that GIO
// would launch itself.
std::string sessionBusAddress()
{
    if (const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return address;
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return {};
    g_autofree char* socket = g_build_filename(runtime, "bus", nullptr);
    if (!g_file_test(socket, G_FILE_TEST_EXISTS))
        return {};
    g_autofree char* escaped = g_dbus_address_escape_value(socket);
    return std::string("unix:path=") + escaped;
}

// A private connection to the session bus; none when there is no bus to reach.
GDBusConnection* connectToSessionBus(GError** error)
{
    std::string address = sessionBusAddress();
    if (address.empty()) {
        g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "there is no session bus address");
        return nullptr;
    }
    return g_dbus_connection_new_for_address_sync(address.c_str(),
        GDBusConnectionFlags(
            G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, error);
}

// The unique name owning `service`, or empty when nobody owns it.
std::string ownerOf(GDBusConnection* bus, const char* service, GError** error)
{
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus", "GetNameOwner", g_variant_new("(s)", service), G_VARIANT_TYPE("(s)"),
        G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr, error);
    if (!reply)
        return {};
    const char* owner = nullptr;
    g_variant_get(reply, "(&s)", &owner);
    return owner;
}

} // namespace

bool KWinConnection::kwinOnSessionBus()
{
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusConnection) bus = connectToSessionBus(&error);
    if (!bus)
        return false;
    bool found = !ownerOf(bus, kwinService, &error).empty();
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    return found;
}

KWinConnection::KWinConnection()
{
    g_autoptr(GError) error = nullptr;
    m_bus = connectToSessionBus(&error);
    if (!m_bus)
        fail("Cannot reach the session bus", error);
    m_uniqueName = g_dbus_connection_get_unique_name(m_bus);
    m_kwinName = ownerOf(m_bus, kwinService, &error);
    if (m_kwinName.empty()) {
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
        fail("KWin is not on the session bus", error);
    }
    g_autoptr(GVariant) support
        = g_dbus_connection_call_sync(m_bus, kwinService, "/KWin", "org.kde.KWin", "supportInformation", nullptr,
            G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr, nullptr);
    if (support) {
        const char* text = nullptr;
        g_variant_get(support, "(&s)", &text);
        m_supportInfo = KWinSupportInfo::parse(text);
    }
    m_nameWatch = g_bus_watch_name_on_connection(
        m_bus, kwinService, G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr, nameVanished, this, nullptr);
    m_closedHandler = g_signal_connect(m_bus, "closed", G_CALLBACK(+busClosed), this);
}

bool KWinConnection::acceptsCall(const char* sender, GDBusMethodInvocation* invocation) const
{
    if (sender && m_kwinName == sender)
        return true;
    g_dbus_method_invocation_return_dbus_error(
        invocation, "org.freedesktop.DBus.Error.AccessDenied", "Only KWin reports here.");
    return false;
}

KWinConnection::~KWinConnection()
{
    g_bus_unwatch_name(m_nameWatch);
    g_signal_handler_disconnect(m_bus, m_closedHandler);
    g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
    g_object_unref(m_bus);
}

void KWinConnection::nameVanished(GDBusConnection*, const char*, void* self)
{
    static_cast<KWinConnection*>(self)->lost();
}

void KWinConnection::busClosed(GDBusConnection*, int, void*, void* self)
{
    static_cast<KWinConnection*>(self)->lost();
}

void KWinConnection::lost()
{
    if (m_lost)
        return;
    m_lost = true;
    if (m_lostHandler)
        m_lostHandler();
}

void KWinConnection::runScript(const std::string& path, const std::string& name)
{
    g_autoptr(GError) error = nullptr;
    g_autoptr(GVariant) loaded = g_dbus_connection_call_sync(m_bus, kwinService, "/Scripting", "org.kde.kwin.Scripting",
        "loadScript", g_variant_new("(ss)", path.c_str(), name.c_str()), G_VARIANT_TYPE("(i)"), G_DBUS_CALL_FLAGS_NONE,
        callMilliseconds, nullptr, &error);
    if (!loaded)
        fail("KWin does not load the script " + path, error);
    int32_t id = -1;
    g_variant_get(loaded, "(i)", &id);
    if (id < 0)
        fail("KWin does not load the script " + path, nullptr);
    // KWin 5.27 numbers a script by how many are loaded, so after an earlier script was unloaded the number can
    // be one a running script still holds, and running by number would run that one. Scripting's start runs
    // every loaded script that is not running yet, whatever its number.
    g_autoptr(GVariant) started
        = g_dbus_connection_call_sync(m_bus, kwinService, "/Scripting", "org.kde.kwin.Scripting", "start", nullptr,
            nullptr, G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr, nullptr);
    if (started)
        return;
    // KWin 5 serves a loaded script at /N, KWin 6 at /Scripting/ScriptN; the version decides which is tried
    // first.
    std::string five = "/" + std::to_string(id);
    std::string six = "/Scripting/Script" + std::to_string(id);
    bool sixFirst = m_supportInfo.major >= 6;
    for (const std::string& object : { sixFirst ? six : five, sixFirst ? five : six }) {
        g_clear_error(&error);
        g_autoptr(GVariant) ran = g_dbus_connection_call_sync(m_bus, kwinService, object.c_str(), "org.kde.kwin.Script",
            "run", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr, &error);
        if (ran)
            return;
    }
    fail("KWin does not run the script " + path, error);
}

bool KWinConnection::unloadScript(const std::string& name, double seconds)
{
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(m_bus, kwinService, "/Scripting", "org.kde.kwin.Scripting",
        "unloadScript", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
        static_cast<int>(seconds * 1000), nullptr, nullptr);
    gboolean unloaded = FALSE;
    if (reply)
        g_variant_get(reply, "(b)", &unloaded);
    return unloaded;
}

void KWinConnection::forgetShortcut(const std::string& name)
{
    // Not waited for: leaving tile mode lets go of some thirty keys at once. The service is KWin's own, so the
    // call stays in order with the script loads that follow.
    g_dbus_connection_call(m_bus, "org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel", "unregister",
        g_variant_new("(ss)", "kwin", name.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr,
        nullptr, nullptr);
}

} // namespace quorvane
