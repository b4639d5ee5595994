#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;

namespace quorvane::test {

// One line of a menu read over com.canonical.dbusmenu, with the properties the tests look at.
struct TrayMenuItem {
    int32_t id = 0;
    // The label with the menu's mnemonic underscores taken out ("__" reads "_").
    std::string label;
    // "separator" for a separator, else empty.
    std::string type;
    bool enabled = true;
    bool visible = true;
    // "checkmark" or "radio" for a toggle, else empty; its state 0 or 1, or -1.
    std::string toggleType;
    int32_t toggleState = -1;
    std::string iconName;
    std::string accessibleDescription;
    std::vector<TrayMenuItem> children;

    // The visible line labelled `label` among the descendants, or null.
    const TrayMenuItem* find(const std::string& label) const;
    // The visible children's labels in order, "-" for a separator.
    std::vector<std::string> labels() const;
};

// An item's call to RegisterStatusNotifierItem: who made it and the object it named.
struct TrayRegistration {
    std::string sender;
    std::string path;
};

// A StatusNotifier host written for the tests: on a connection of its own to the session bus it owns the
// watcher's name, org.kde.StatusNotifierWatcher, answers on a thread of its own, records every registration,
// and reads and clicks the item that registered last. Gone, it leaves the bus and the name goes with it.
class TestTrayHost {
public:
    // Connects and waits until the name is its own; throws when it cannot have it.
    TestTrayHost();
    ~TestTrayHost();
    TestTrayHost(const TestTrayHost&) = delete;
    TestTrayHost& operator=(const TestTrayHost&) = delete;

    // This host's unique name on the bus.
    std::string uniqueName() const;
    std::vector<TrayRegistration> registrations() const;
    // A property of the last registered item's org.kde.StatusNotifierItem interface, as text (strings and
    // object paths); none when it cannot be read.
    std::optional<std::string> property(const std::string& name);
    // The item's whole menu (its root, whose children are the top level).
    std::optional<TrayMenuItem> menu();
    // Sends the "clicked" event to the line labelled `label` as a tray does when it is chosen; false when
    // the menu has no such line. Sent whether the line is enabled or not.
    bool click(const std::string& label);
    // The middle click on the item.
    bool secondaryActivate();

private:
    void serve(const std::string& address);
    std::optional<TrayRegistration> item() const;

    GMainContext* m_context = nullptr;
    GMainLoop* m_loop = nullptr;
    GDBusConnection* m_connection = nullptr;
    unsigned m_ownerId = 0;
    unsigned m_objectId = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // Set once the name is owned, or it is clear it never will be.
    std::optional<bool> m_owned;
    std::vector<TrayRegistration> m_registrations;
    std::thread m_thread;
};

} // namespace quorvane::test
