#include "Platforms/KWin/KWinKeyboardTap.h"

#include "JSON/JSONValue.h"
#include "Platforms/KWin/KWinConnection.h"
#include "Platforms/KWin/KWinShortcutKeys.h"
#include "Support/AtomicFile.h"

#include <gio/gio.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <system_error>

namespace quorvane {

namespace {

constexpr const char* introspection = R"XML(
<node>
  <interface name="org.quorvane.KWinKeys">
    <method name="Pressed">
      <arg type="s" name="token" direction="in"/>
      <arg type="i" name="keyCode" direction="in"/>
    </method>
  </interface>
</node>
)XML";

// What a bare key types: the letter or digit itself (lower case), nothing for named keys.
std::string characters(const std::string& sequence)
{
    if (sequence.size() != 1 || !std::isalnum(static_cast<unsigned char>(sequence[0])))
        return {};
    return std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(sequence[0]))));
}

} // namespace

struct KWinKeyboardTap::Calls {
    static void method(GDBusConnection*, const char* sender, const char*, const char*, const char* method,
        GVariant* parameters, GDBusMethodInvocation* invocation, void* data)
    {
        auto& tap = *static_cast<KWinKeyboardTap*>(data);
        if (!tap.m_connection.acceptsCall(sender, invocation))
            return;
        if (g_strcmp0(method, "Pressed") != 0) {
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.UnknownMethod", "No such method.");
            return;
        }
        const char* token = nullptr;
        // KWin's scripts pass numbers as signed integers.
        int32_t keyCode = 0;
        g_variant_get(parameters, "(&si)", &token, &keyCode);
        // Answered first: the handler may change the interest, which reloads the script that waits for this.
        g_dbus_method_invocation_return_value(invocation, nullptr);
        if (keyCode >= 0)
            tap.pressed(token, static_cast<uint32_t>(keyCode));
    }
};

KWinKeyboardTap::KWinKeyboardTap(KWinConnection& connection, std::string scriptFolder, std::string scriptName)
    : m_connection(connection)
    , m_scriptFolder(std::move(scriptFolder))
    , m_scriptName(std::move(scriptName) + "-keys")
{
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(introspection, &error);
    static const GDBusInterfaceVTable vtable { Calls::method, nullptr, nullptr, { nullptr } };
    m_registration = g_dbus_connection_register_object(
        m_connection.bus(), objectPath, node->interfaces[0], &vtable, this, nullptr, &error);
    if (!m_registration)
        throw std::system_error(std::make_error_code(std::errc::io_error),
            std::string("Cannot export the object KWin's key script calls: ") + error->message);
}

KWinKeyboardTap::~KWinKeyboardTap()
{
    unload();
    g_dbus_connection_unregister_object(m_connection.bus(), m_registration);
}

bool KWinKeyboardTap::start(Handler handler)
{
    if (!m_handler)
        m_handler = std::move(handler);
    return true;
}

void KWinKeyboardTap::setInterest(const KeyInterest& interest)
{
    if (interest == m_interest)
        return;
    m_interest = interest;
    std::map<uint32_t, std::string> sequences;
    auto add = [&sequences](uint32_t keyCode) {
        if (std::optional<std::string> sequence = KWinShortcutKeys::sequence({ keyCode, {} }))
            sequences.emplace(keyCode, *sequence);
    };
    // The leader key is left to the other programs: its press does not reach the application through a KWin
    // shortcut yet, and taking it would only swallow it.
    if (interest.tileMode || interest.leaderArmed)
        for (uint32_t keyCode : interest.keyCodes)
            add(keyCode);
    if (sequences.empty())
        unload();
    else
        load(sequences);
}

void KWinKeyboardTap::load(const std::map<uint32_t, std::string>& sequences)
{
    m_token = std::to_string(::getpid()) + "." + std::to_string(++m_loads);
    std::string text = "// Quorvane's keys, written and loaded by quorvane-app while they matter; edits are lost.\n";
    text += "function pressed(code) { callDBus(" + quoteJSON(m_connection.uniqueName()) + ", " + quoteJSON(objectPath)
        + ", " + quoteJSON(interfaceName) + ", \"Pressed\", " + quoteJSON(m_token) + ", code); }\n";
    for (const auto& [keyCode, sequence] : sequences) {
        std::string name = quoteJSON(shortcutName(sequence));
        text += "registerShortcut(" + name + ", " + name + ", " + quoteJSON(sequence) + ", function () { pressed("
            + std::to_string(keyCode) + "); });\n";
    }
    std::string path = m_scriptFolder + "/" + m_scriptName + ".js";
    AtomicFile::write(text, path, 0600);
    m_connection.unloadScript(m_scriptName);
    m_loaded = true;
    m_connection.runScript(path, m_scriptName);
}

void KWinKeyboardTap::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    m_token.clear();
    m_connection.unloadScript(m_scriptName, 1);
    std::remove((m_scriptFolder + "/" + m_scriptName + ".js").c_str());
}

void KWinKeyboardTap::pressed(const std::string& token, uint32_t keyCode)
{
    if (token != m_token || !m_handler)
        return;
    std::optional<std::string> sequence = KWinShortcutKeys::sequence({ keyCode, {} });
    KeyEvent event;
    event.keyCode = keyCode;
    event.characters = sequence ? characters(*sequence) : std::string();
    m_handler(event);
}

} // namespace quorvane
