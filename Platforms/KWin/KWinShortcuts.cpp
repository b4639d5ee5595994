#include "Platforms/KWin/KWinShortcuts.h"

#include "Platforms/KWin/KWinConnection.h"
#include "Platforms/KWin/KWinShortcutKeys.h"
#include "Support/AtomicFile.h"
#include "JSON/JSONValue.h"

#include <gio/gio.h>

#include <unistd.h>

#include <cstdio>
#include <system_error>

namespace quorvane {

namespace {

constexpr const char* introspection = R"XML(
<node>
  <interface name="org.quorvane.KWinShortcuts">
    <method name="Pressed">
      <arg type="s" name="token" direction="in"/>
    </method>
  </interface>
</node>
)XML";

// KWin registers a script's shortcuts as actions of its own component.
constexpr const char* shortcutComponent = "kwin";
constexpr const char* shortcutComponentText = "KWin";
// How long a script may take to register its shortcut, and how often the service is asked meanwhile, in µs.
constexpr gint64 registrationWait = 2'000'000;
constexpr gulong registrationPoll = 5'000;

} // namespace

struct KWinShortcuts::Calls {
    static void method(GDBusConnection*, const char* sender, const char*, const char*, const char* method,
        GVariant* parameters, GDBusMethodInvocation* invocation, void* data)
    {
        auto& shortcuts = *static_cast<KWinShortcuts*>(data);
        if (!shortcuts.m_connection.acceptsCall(sender, invocation))
            return;
        if (g_strcmp0(method, "Pressed") != 0) {
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.UnknownMethod", "No such method.");
            return;
        }
        const char* token = nullptr;
        g_variant_get(parameters, "(&s)", &token);
        shortcuts.pressed(token);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
};

KWinShortcuts::KWinShortcuts(
    KWinConnection& connection, MainLoop& mainLoop, std::string scriptFolder, std::string scriptName)
    : m_connection(connection)
    , m_mainLoop(mainLoop)
    , m_scriptFolder(std::move(scriptFolder))
    , m_scriptName(std::move(scriptName))
{
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(introspection, &error);
    static const GDBusInterfaceVTable vtable { Calls::method, nullptr, nullptr, { nullptr } };
    m_registration = g_dbus_connection_register_object(
        m_connection.bus(), objectPath, node->interfaces[0], &vtable, this, nullptr, &error);
    if (!m_registration)
        throw std::system_error(std::make_error_code(std::errc::io_error),
            std::string("Cannot export the object KWin's shortcuts call: ") + error->message);
}

KWinShortcuts::~KWinShortcuts()
{
    for (const auto& [id, registration] : m_registered) {
        m_connection.unloadScript(registration.scriptName, 1);
        m_connection.forgetShortcut(shortcutName(registration.sequence));
        std::remove((m_scriptFolder + "/" + registration.scriptName + ".js").c_str());
    }
    g_dbus_connection_unregister_object(m_connection.bus(), m_registration);
}

std::string KWinShortcuts::shortcutName(const std::string& sequence)
{
    return "Quorvane " + sequence;
}

bool KWinShortcuts::registerChord(uint32_t id, const KeyChord& chord)
{
    unregisterChord(id);
    std::optional<std::string> sequence = KWinShortcutKeys::sequence(chord);
    if (!sequence)
        return false;
    for (const auto& [otherId, other] : m_registered)
        if (other.sequence == *sequence)
            return false;
    Registration registration;
    registration.sequence = *sequence;
    registration.scriptName = m_scriptName + "-chord-" + std::to_string(id);
    registration.token = std::to_string(::getpid()) + "." + std::to_string(++m_loads);
    std::string name = shortcutName(*sequence);
    std::string text = "// A chord of Quorvane's, written and loaded by quorvane-app; edits are lost.\n";
    text += "registerShortcut(" + quoteJSON(name) + ", " + quoteJSON(name) + ", " + quoteJSON(*sequence)
        + ", function () { callDBus(" + quoteJSON(m_connection.uniqueName()) + ", " + quoteJSON(objectPath) + ", "
        + quoteJSON(interfaceName) + ", \"Pressed\", " + quoteJSON(registration.token) + "); });\n";
    std::string path = m_scriptFolder + "/" + registration.scriptName + ".js";
    AtomicFile::write(text, path, 0600);
    // A script of the same name left by an earlier run gives way.
    m_connection.unloadScript(registration.scriptName);
    try {
        m_connection.runScript(path, registration.scriptName);
    } catch (const std::system_error&) {
        m_connection.unloadScript(registration.scriptName, 1);
        return false;
    }
    if (!holdsKey(name)) {
        m_connection.unloadScript(registration.scriptName, 1);
        m_connection.forgetShortcut(name);
        std::remove(path.c_str());
        return false;
    }
    m_registered.emplace(id, std::move(registration));
    return true;
}

void KWinShortcuts::unregisterChord(uint32_t id)
{
    auto found = m_registered.find(id);
    if (found == m_registered.end())
        return;
    m_connection.unloadScript(found->second.scriptName, 1);
    m_connection.forgetShortcut(shortcutName(found->second.sequence));
    std::remove((m_scriptFolder + "/" + found->second.scriptName + ".js").c_str());
    m_registered.erase(found);
}

void KWinShortcuts::pressed(const std::string& token)
{
    for (const auto& [id, registration] : m_registered) {
        if (registration.token != token)
            continue;
        uint32_t pressedId = id;
        m_mainLoop.post(m_self.bind([pressedId](KWinShortcuts& shortcuts) {
            if (shortcuts.m_handler)
                shortcuts.m_handler(pressedId);
        }));
        return;
    }
}

bool KWinShortcuts::holdsKey(const std::string& name)
{
    const char* action[] = { shortcutComponent, name.c_str(), shortcutComponentText, name.c_str(), nullptr };
    // KWin runs a script a moment after it is told to, on a thread that reads its file: until the script has
    // registered the shortcut, the service lists no key for it at all.
    gint64 deadline = g_get_monotonic_time() + registrationWait;
    for (;;) {
        g_autoptr(GVariant) reply = g_dbus_connection_call_sync(m_connection.bus(), "org.kde.kglobalaccel",
            "/kglobalaccel", "org.kde.KGlobalAccel", "shortcut", g_variant_new("(^as)", action), G_VARIANT_TYPE("(ai)"),
            G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
        if (!reply)
            return true;
        g_autoptr(GVariant) keys = g_variant_get_child_value(reply, 0);
        if (g_variant_n_children(keys) > 0 || g_get_monotonic_time() >= deadline) {
            // A refused shortcut is listed with the key 0.
            for (size_t index = 0; index < g_variant_n_children(keys); ++index) {
                g_autoptr(GVariant) key = g_variant_get_child_value(keys, index);
                if (g_variant_get_int32(key) != 0)
                    return true;
            }
            return false;
        }
        g_usleep(registrationPoll);
    }
}

} // namespace quorvane
