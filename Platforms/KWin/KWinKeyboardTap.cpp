#include "Platforms/KWin/KWinKeyboardTap.h"

#include "Platforms/KWin/KWinConnection.h"
#include "Platforms/KWin/KWinShortcutKeys.h"
#include "Support/AtomicFile.h"
#include "JSON/JSONValue.h"

#include <gio/gio.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <system_error>

namespace quorvane {

namespace {

constexpr const char* introspection = R"XML(
<node>
  <interface name="org.quorvane.KWinKeys">
    <method name="Pressed">
      <arg type="s" name="token" direction="in"/>
      <arg type="i" name="keyCode" direction="in"/>
      <arg type="i" name="shift" direction="in"/>
    </method>
  </interface>
</node>
)XML";

// What a bare key types: the letter (upper case with Shift) or digit itself, nothing for named keys.
std::string characters(const std::string& sequence, bool shift)
{
    if (sequence.size() != 1 || !std::isalnum(static_cast<unsigned char>(sequence[0])))
        return {};
    auto letter = static_cast<unsigned char>(sequence[0]);
    return std::string(1, static_cast<char>(shift ? std::toupper(letter) : std::tolower(letter)));
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
        // KWin's scripts pass numbers as signed integers, and Shift as 0 or 1.
        int32_t keyCode = 0, shift = 0;
        g_variant_get(parameters, "(&sii)", &token, &keyCode, &shift);
        // Answered first: the handler may change the interest, which reloads the script that waits for this.
        g_dbus_method_invocation_return_value(invocation, nullptr);
        if (keyCode >= 0)
            tap.pressed(token, static_cast<uint32_t>(keyCode), shift != 0);
    }
};

KWinKeyboardTap::KWinKeyboardTap(KWinConnection& connection, std::string scriptFolder, std::string scriptName)
    : m_connection(connection)
    , m_scriptFolder(std::move(scriptFolder))
{
    m_leader.name = scriptName + "-leader";
    m_keys.name = scriptName + "-keys";
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
    unload(m_keys);
    unload(m_leader);
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
    std::map<std::string, Key> leader;
    std::optional<std::string> leaderSequence;
    if (interest.leaderKeyCode)
        leaderSequence = KWinShortcutKeys::sequence({ *interest.leaderKeyCode, {} });
    if (leaderSequence)
        leader.emplace(*leaderSequence, Key { *interest.leaderKeyCode, false });
    // Only the keys that act now are taken: KWin hands a key it has taken to nobody else.
    std::map<std::string, Key> keys;
    auto take = [&](uint32_t keyCode, bool shift) {
        std::set<HotkeyModifier> modifiers;
        if (shift)
            modifiers.insert(HotkeyModifier::shift);
        std::optional<std::string> sequence = KWinShortcutKeys::sequence({ keyCode, modifiers });
        // The leader's own shortcut stays in its script: a second one on the same key would be refused.
        if (sequence && (shift || sequence != leaderSequence))
            keys.emplace(*sequence, Key { keyCode, shift });
    };
    if (interest.leaderArmed) {
        // Shift does not count as a held modifier: Shift+E completes leader+e.
        for (uint32_t keyCode : interest.leaderKeyCodes) {
            take(keyCode, false);
            take(keyCode, true);
        }
    }
    if (interest.tileMode) {
        for (uint32_t keyCode : interest.tileKeyCodes)
            take(keyCode, false);
        for (uint32_t keyCode : interest.shiftedTileKeyCodes)
            take(keyCode, true);
    }
    sync(m_leader, leader);
    sync(m_keys, keys);
}

void KWinKeyboardTap::sync(Script& script, const std::map<std::string, Key>& keys)
{
    if (!script.token.empty() && keys == script.keys)
        return;
    // The keys held so far leave the shortcut service with their script.
    unload(script);
    if (keys.empty())
        return;
    script.keys = keys;
    load(script);
}

void KWinKeyboardTap::load(Script& script)
{
    script.token = std::to_string(::getpid()) + "." + std::to_string(++m_loads);
    std::string text = "// Quorvane's keys, written and loaded by quorvane-app while they matter; edits are lost.\n";
    text += "function pressed(code, shift) { callDBus(" + quoteJSON(m_connection.uniqueName()) + ", "
        + quoteJSON(objectPath) + ", " + quoteJSON(interfaceName) + ", \"Pressed\", " + quoteJSON(script.token)
        + ", code, shift); }\n";
    for (const auto& [sequence, key] : script.keys) {
        std::string name = quoteJSON(&script == &m_leader ? leaderShortcutName(sequence) : shortcutName(sequence));
        text += "registerShortcut(" + name + ", " + name + ", " + quoteJSON(sequence) + ", function () { pressed("
            + std::to_string(key.keyCode) + ", " + (key.shift ? "1" : "0") + "); });\n";
    }
    std::string path = m_scriptFolder + "/" + script.name + ".js";
    AtomicFile::write(text, path, 0600);
    m_connection.unloadScript(script.name);
    m_connection.runScript(path, script.name);
}

void KWinKeyboardTap::unload(Script& script)
{
    if (script.token.empty())
        return;
    script.token.clear();
    m_connection.unloadScript(script.name, 1);
    for (const auto& [sequence, key] : script.keys)
        m_connection.forgetShortcut(&script == &m_leader ? leaderShortcutName(sequence) : shortcutName(sequence));
    script.keys.clear();
    std::remove((m_scriptFolder + "/" + script.name + ".js").c_str());
}

void KWinKeyboardTap::pressed(const std::string& token, uint32_t keyCode, bool shift)
{
    if (!m_handler || token.empty() || (token != m_keys.token && token != m_leader.token))
        return;
    std::optional<std::string> sequence = KWinShortcutKeys::sequence({ keyCode, {} });
    KeyEvent event;
    event.keyCode = keyCode;
    if (shift)
        event.modifiers.insert(HotkeyModifier::shift);
    event.characters = sequence ? characters(*sequence, shift) : std::string();
    m_handler(event);
}

} // namespace quorvane
