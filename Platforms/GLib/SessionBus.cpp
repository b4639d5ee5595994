#include "Platforms/GLib/SessionBus.h"

#include <gio/gio.h>

namespace quorvane {

namespace {

constexpr int replyMilliseconds = 1000;

} // namespace

bool SessionBus::nameHasOwner(const std::string& name)
{
    GError* error = nullptr;
    // The process's shared connection, the one every other part of it uses.
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, replyMilliseconds, nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}



void SessionBus::surviveItsEnd()
{
    // The shared connection lives only while someone holds it, and a new one would end the process again:
    // this one is held for the rest of the process, so that every part of it gets the same one.
    static GDBusConnection* held = nullptr;
    if (held)
        return;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return;
    }
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    held = bus;
}

} // namespace quorvane
