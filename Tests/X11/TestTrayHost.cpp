#include "X11/TestTrayHost.h"

#include <gio/gio.h>

#include <stdexcept>

namespace quorvane::test {

namespace {

constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* watcherPath = "/StatusNotifierWatcher";
constexpr const char* itemInterface = "org.kde.StatusNotifierItem";
constexpr int callMilliseconds = 3000;

constexpr const char* watcherXML = R"(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>)";

// dbusmenu marks mnemonics with "_" and writes a literal underscore as "__".
std::string withoutMnemonics(const std::string& label)
{
    std::string text;
    for (size_t at = 0; at < label.size(); ++at) {
        if (label[at] != '_')
            text += label[at];
        else if (at + 1 < label.size() && label[at + 1] == '_')
            text += label[++at];
    }
    return text;
}

std::string lookupText(GVariant* properties, const char* name)
{
    const char* text = nullptr;
    return g_variant_lookup(properties, name, "&s", &text) && text ? text : "";
}

// One node of a GetLayout reply: (id, properties, children).
TrayMenuItem parseNode(GVariant* node)
{
    TrayMenuItem item;
    GVariant* properties = nullptr;
    GVariant* children = nullptr;
    g_variant_get(node, "(i@a{sv}@av)", &item.id, &properties, &children);
    item.label = withoutMnemonics(lookupText(properties, "label"));
    item.type = lookupText(properties, "type");
    item.toggleType = lookupText(properties, "toggle-type");
    item.iconName = lookupText(properties, "icon-name");
    item.accessibleDescription = lookupText(properties, "accessible-desc");
    gboolean flag = TRUE;
    if (g_variant_lookup(properties, "enabled", "b", &flag))
        item.enabled = flag;
    if (g_variant_lookup(properties, "visible", "b", &flag))
        item.visible = flag;
    int32_t state = -1;
    if (g_variant_lookup(properties, "toggle-state", "i", &state))
        item.toggleState = state;
    for (gsize index = 0; index < g_variant_n_children(children); ++index) {
        GVariant* boxed = g_variant_get_child_value(children, index);
        GVariant* child = g_variant_get_variant(boxed);
        item.children.push_back(parseNode(child));
        g_variant_unref(child);
        g_variant_unref(boxed);
    }
    g_variant_unref(properties);
    g_variant_unref(children);
    return item;
}

} // namespace

const TrayMenuItem* TrayMenuItem::find(const std::string& wanted) const
{
    for (const TrayMenuItem& child : children) {
        if (!child.visible)
            continue;
        if (child.type != "separator" && child.label == wanted)
            return &child;
        if (const TrayMenuItem* found = child.find(wanted))
            return found;
    }
    return nullptr;
}

std::vector<std::string> TrayMenuItem::labels() const
{
    std::vector<std::string> labels;
    for (const TrayMenuItem& child : children) {
        if (child.visible)
            labels.push_back(child.type == "separator" ? "-" : child.label);
    }
    return labels;
}

TestTrayHost::TestTrayHost()
{
    GError* error = nullptr;
    char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!address) {
        std::string reason = error->message;
        g_error_free(error);
        throw std::runtime_error("no session bus: " + reason);
    }
    std::string busAddress = address;
    g_free(address);
    m_context = g_main_context_new();
    m_loop = g_main_loop_new(m_context, FALSE);
    m_thread = std::thread([this, busAddress] { serve(busAddress); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_owned.has_value(); });
    if (!*m_owned) {
        lock.unlock();
        g_main_loop_quit(m_loop);
        m_thread.join();
        g_main_loop_unref(m_loop);
        g_main_context_unref(m_context);
        throw std::runtime_error("the test host could not own org.kde.StatusNotifierWatcher");
    }
}

TestTrayHost::~TestTrayHost()
{
    g_main_loop_quit(m_loop);
    m_thread.join();
    if (m_connection)
        g_object_unref(m_connection);
    g_main_loop_unref(m_loop);
    g_main_context_unref(m_context);
}

void TestTrayHost::serve(const std::string& address)
{
    g_main_context_push_thread_default(m_context);
    auto settle = [this](bool owned) {
        std::lock_guard lock(m_mutex);
        if (!m_owned)
            m_owned = owned;
        m_changed.notify_all();
    };
    GError* error = nullptr;
    // A connection of its own, so that closing it takes the name away as a host that quits does.
    m_connection = g_dbus_connection_new_for_address_sync(address.c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
            | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!m_connection) {
        g_clear_error(&error);
        settle(false);
        g_main_context_pop_thread_default(m_context);
        return;
    }

    static const GDBusInterfaceVTable vtable = {
        // Method calls: registrations are recorded and answered at once.
        [](GDBusConnection* connection, const gchar* sender, const gchar*, const gchar*, const gchar* method,
            GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
            auto* host = static_cast<TestTrayHost*>(self);
            const char* argument = nullptr;
            g_variant_get(parameters, "(&s)", &argument);
            if (g_strcmp0(method, "RegisterStatusNotifierItem") == 0) {
                // An item names its object path, or a bus name with the usual path.
                TrayRegistration registration { sender, argument };
                if (argument[0] != '/')
                    registration = TrayRegistration { argument, "/StatusNotifierItem" };
                {
                    std::lock_guard lock(host->m_mutex);
                    host->m_registrations.push_back(registration);
                }
                std::string service = registration.sender + registration.path;
                g_dbus_connection_emit_signal(connection, nullptr, watcherPath, watcherName,
                    "StatusNotifierItemRegistered", g_variant_new("(s)", service.c_str()), nullptr);
            }
            g_dbus_method_invocation_return_value(invocation, nullptr);
        },
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property, GError**,
            gpointer self) -> GVariant* {
            auto* host = static_cast<TestTrayHost*>(self);
            if (g_strcmp0(property, "IsStatusNotifierHostRegistered") == 0)
                return g_variant_new_boolean(TRUE);
            if (g_strcmp0(property, "ProtocolVersion") == 0)
                return g_variant_new_int32(0);
            GVariantBuilder items;
            g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
            std::lock_guard lock(host->m_mutex);
            for (const TrayRegistration& registration : host->m_registrations)
                g_variant_builder_add(&items, "s", (registration.sender + registration.path).c_str());
            return g_variant_builder_end(&items);
        },
        nullptr,
        {},
    };
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(watcherXML, nullptr);
    m_objectId = g_dbus_connection_register_object(
        m_connection, watcherPath, node->interfaces[0], &vtable, this, nullptr, nullptr);
    g_dbus_node_info_unref(node);
    m_ownerId = g_bus_own_name_on_connection(m_connection, watcherName, G_BUS_NAME_OWNER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, gpointer self) {
            auto* host = static_cast<TestTrayHost*>(self);
            std::lock_guard lock(host->m_mutex);
            if (!host->m_owned)
                host->m_owned = true;
            host->m_changed.notify_all();
        },
        [](GDBusConnection*, const gchar*, gpointer self) {
            auto* host = static_cast<TestTrayHost*>(self);
            std::lock_guard lock(host->m_mutex);
            if (!host->m_owned)
                host->m_owned = false;
            host->m_changed.notify_all();
        },
        this, nullptr);

    g_main_loop_run(m_loop);

    g_bus_unown_name(m_ownerId);
    g_dbus_connection_unregister_object(m_connection, m_objectId);
    g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
    while (g_main_context_iteration(m_context, FALSE)) {
    }
    g_main_context_pop_thread_default(m_context);
}

std::string TestTrayHost::uniqueName() const
{
    return g_dbus_connection_get_unique_name(m_connection);
}

std::vector<TrayRegistration> TestTrayHost::registrations() const
{
    std::lock_guard lock(m_mutex);
    return m_registrations;
}

std::optional<TrayRegistration> TestTrayHost::item() const
{
    std::lock_guard lock(m_mutex);
    if (m_registrations.empty())
        return std::nullopt;
    return m_registrations.back();
}

std::optional<std::string> TestTrayHost::property(const std::string& name)
{
    std::optional<TrayRegistration> registered = item();
    if (!registered)
        return std::nullopt;
    GVariant* reply = g_dbus_connection_call_sync(m_connection, registered->sender.c_str(),
        registered->path.c_str(), "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", itemInterface, name.c_str()), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
        callMilliseconds, nullptr, nullptr);
    if (!reply)
        return std::nullopt;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    std::optional<std::string> text;
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING) || g_variant_is_of_type(value, G_VARIANT_TYPE_OBJECT_PATH))
        text = g_variant_get_string(value, nullptr);
    g_variant_unref(value);
    g_variant_unref(reply);
    return text;
}

std::optional<TrayMenuItem> TestTrayHost::menu()
{
    std::optional<TrayRegistration> registered = item();
    std::optional<std::string> path = property("Menu");
    if (!registered || !path)
        return std::nullopt;
    GVariant* reply = g_dbus_connection_call_sync(m_connection, registered->sender.c_str(), path->c_str(),
        "com.canonical.dbusmenu", "GetLayout", g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)),
        G_VARIANT_TYPE("(u(ia{sv}av))"), G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr, nullptr);
    if (!reply)
        return std::nullopt;
    GVariant* root = g_variant_get_child_value(reply, 1);
    TrayMenuItem menu = parseNode(root);
    g_variant_unref(root);
    g_variant_unref(reply);
    return menu;
}

bool TestTrayHost::click(const std::string& label)
{
    std::optional<TrayRegistration> registered = item();
    std::optional<std::string> path = property("Menu");
    std::optional<TrayMenuItem> root = menu();
    const TrayMenuItem* line = root ? root->find(label) : nullptr;
    if (!registered || !path || !line)
        return false;
    // The item may quit as it handles the click, before it answers.
    GVariant* reply = g_dbus_connection_call_sync(m_connection, registered->sender.c_str(), path->c_str(),
        "com.canonical.dbusmenu", "Event", g_variant_new("(isvu)", line->id, "clicked", g_variant_new_int32(0), 0u),
        nullptr, G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr, nullptr);
    if (reply)
        g_variant_unref(reply);
    return true;
}

bool TestTrayHost::secondaryActivate()
{
    std::optional<TrayRegistration> registered = item();
    if (!registered)
        return false;
    GVariant* reply = g_dbus_connection_call_sync(m_connection, registered->sender.c_str(),
        registered->path.c_str(), itemInterface, "SecondaryActivate", g_variant_new("(ii)", 0, 0), nullptr,
        G_DBUS_CALL_FLAGS_NONE, callMilliseconds, nullptr, nullptr);
    if (!reply)
        return false;
    g_variant_unref(reply);
    return true;
}

} // namespace quorvane::test
