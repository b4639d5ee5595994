#include "X11/TestAccessibility.h"

#include <atspi/atspi.h>
#include <gio/gio.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace quorvane::test {

namespace {

std::string take(gchar* text)
{
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

// libatspi keeps a copy of a string of each application that leaves the bus while a call waits for its
// answer; the leak checker is not told of what it allocates while one runs.
class LibraryLeaksIgnored {
public:
#if defined(__SANITIZE_ADDRESS__)
    LibraryLeaksIgnored() { __lsan_disable(); }
    ~LibraryLeaksIgnored() { __lsan_enable(); }
#else
    LibraryLeaksIgnored() = default;
#endif
    LibraryLeaksIgnored(const LibraryLeaksIgnored&) = delete;
    LibraryLeaksIgnored& operator=(const LibraryLeaksIgnored&) = delete;
};

bool hasState(AtspiAccessible* node, AtspiStateType state)
{
    AtspiStateSet* states = atspi_accessible_get_state_set(node);
    bool held = states && atspi_state_set_contains(states, state);
    if (states)
        g_object_unref(states);
    return held;
}

} // namespace

Accessible::Accessible(AtspiAccessible* adopted)
    : m_node(adopted)
{
}

Accessible::Accessible(const Accessible& other)
    : m_node(other.m_node ? static_cast<AtspiAccessible*>(g_object_ref(other.m_node)) : nullptr)
{
}

Accessible& Accessible::operator=(const Accessible& other)
{
    if (this != &other) {
        Accessible copy(other);
        std::swap(m_node, copy.m_node);
    }
    return *this;
}

Accessible::~Accessible()
{
    if (m_node)
        g_object_unref(m_node);
}

std::string Accessible::name() const
{
    [[maybe_unused]] LibraryLeaksIgnored quiet;
    return m_node ? take(atspi_accessible_get_name(m_node, nullptr)) : "";
}

std::string Accessible::description() const
{
    return m_node ? take(atspi_accessible_get_description(m_node, nullptr)) : "";
}

std::string Accessible::role() const
{
    [[maybe_unused]] LibraryLeaksIgnored quiet;
    return m_node ? take(atspi_accessible_get_role_name(m_node, nullptr)) : "";
}

std::vector<Accessible> Accessible::children() const
{
    std::vector<Accessible> nodes;
    if (!m_node)
        return nodes;
    int count = atspi_accessible_get_child_count(m_node, nullptr);
    for (int index = 0; index < count; ++index) {
        if (AtspiAccessible* child = atspi_accessible_get_child_at_index(m_node, index, nullptr))
            nodes.emplace_back(child);
    }
    return nodes;
}

Accessible Accessible::find(const std::string& wantedRole, const std::string& wantedName) const
{
    if (!m_node)
        return {};
    if (role() == wantedRole && name() == wantedName)
        return *this;
    for (const Accessible& child : children()) {
        if (Accessible found = child.find(wantedRole, wantedName))
            return found;
    }
    return {};
}

std::vector<Accessible> Accessible::findAll(const std::string& wantedRole) const
{
    std::vector<Accessible> found;
    if (!m_node)
        return found;
    if (role() == wantedRole)
        found.push_back(*this);
    for (const Accessible& child : children()) {
        std::vector<Accessible> below = child.findAll(wantedRole);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

bool Accessible::showing() const
{
    return m_node && hasState(m_node, ATSPI_STATE_SHOWING);
}

bool Accessible::selected() const
{
    return m_node && hasState(m_node, ATSPI_STATE_SELECTED);
}

bool Accessible::sensitive() const
{
    return m_node && hasState(m_node, ATSPI_STATE_SENSITIVE);
}

bool Accessible::focused() const
{
    return m_node && hasState(m_node, ATSPI_STATE_FOCUSED);
}

bool Accessible::grabFocus() const
{
    AtspiComponent* component = m_node ? atspi_accessible_get_component_iface(m_node) : nullptr;
    if (!component)
        return false;
    GError* error = nullptr;
    bool grabbed = atspi_component_grab_focus(component, &error);
    g_clear_error(&error);
    g_object_unref(component);
    return grabbed;
}

bool Accessible::act(const std::string& action) const
{
    AtspiAction* actions = m_node ? atspi_accessible_get_action_iface(m_node) : nullptr;
    if (!actions)
        return false;
    int chosen = action.empty() ? 0 : -1;
    int count = atspi_action_get_n_actions(actions, nullptr);
    for (int index = 0; index < count && chosen < 0; ++index) {
        if (take(atspi_action_get_action_name(actions, index, nullptr)) == action)
            chosen = index;
    }
    bool done = chosen >= 0 && chosen < count && atspi_action_do_action(actions, chosen, nullptr);
    g_object_unref(actions);
    return done;
}

bool Accessible::setValue(double number) const
{
    AtspiValue* value = m_node ? atspi_accessible_get_value_iface(m_node) : nullptr;
    if (!value)
        return false;
    bool done = atspi_value_set_current_value(value, number, nullptr);
    g_object_unref(value);
    return done;
}

std::optional<double> Accessible::value() const
{
    AtspiValue* value = m_node ? atspi_accessible_get_value_iface(m_node) : nullptr;
    if (!value)
        return std::nullopt;
    double current = atspi_value_get_current_value(value, nullptr);
    g_object_unref(value);
    return current;
}

bool Accessible::setText(const std::string& contents) const
{
    AtspiEditableText* editable = m_node ? atspi_accessible_get_editable_text_iface(m_node) : nullptr;
    if (!editable)
        return false;
    bool done = atspi_editable_text_set_text_contents(editable, contents.c_str(), nullptr);
    g_object_unref(editable);
    return done;
}

std::string Accessible::text() const
{
    AtspiText* text = m_node ? atspi_accessible_get_text_iface(m_node) : nullptr;
    if (!text)
        return "";
    std::string contents = take(atspi_text_get_text(text, 0, -1, nullptr));
    g_object_unref(text);
    return contents;
}

bool Accessible::selectTab() const
{
    if (!m_node)
        return false;
    AtspiAccessible* list = atspi_accessible_get_parent(m_node, nullptr);
    AtspiSelection* selection = list ? atspi_accessible_get_selection_iface(list) : nullptr;
    bool done = selection
        && atspi_selection_select_child(selection, atspi_accessible_get_index_in_parent(m_node, nullptr), nullptr);
    if (selection)
        g_object_unref(selection);
    if (list)
        g_object_unref(list);
    return done;
}

AccessibilityBus::AccessibilityBus()
{
    // The library would ask the session bus through a connection it keeps for the life of the process, which
    // a later test's desktop no longer has: the address is asked for here, on a connection of this desktop's,
    // and handed to the library (and to the programs started from here) in the environment.
    const char* session = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    GDBusConnection* connection = session ? g_dbus_connection_new_for_address_sync(session,
                                      GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                      nullptr, nullptr, nullptr)
                                          : nullptr;
    GVariant* reply = connection
        ? g_dbus_connection_call_sync(connection, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
            nullptr, G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr)
        : nullptr;
    if (connection)
        g_object_unref(connection);
    if (!reply)
        throw std::runtime_error("the accessibility bus cannot be reached");
    const char* address = nullptr;
    g_variant_get(reply, "(&s)", &address);
    g_setenv("AT_SPI_BUS_ADDRESS", address, TRUE);
    g_variant_unref(reply);
    if (atspi_init() > 1)
        throw std::runtime_error("the accessibility bus cannot be reached");
}

AccessibilityBus::~AccessibilityBus()
{
    atspi_exit();
    g_unsetenv("AT_SPI_BUS_ADDRESS");
}

Accessible AccessibilityBus::application(const std::string& name, double seconds)
{
    return waitFor(
        [&]() -> Accessible {
            Accessible desktop(atspi_get_desktop(0));
            for (const Accessible& application : desktop.children()) {
                if (application.name() == name)
                    return application;
            }
            return {};
        },
        seconds);
}

Accessible waitFor(const std::function<Accessible()>& look, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        // The library learns of changes through the default main context.
        while (g_main_context_iteration(nullptr, FALSE)) { }
        if (Accessible found = look())
            return found;
        if (std::chrono::steady_clock::now() > deadline)
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace quorvane::test
