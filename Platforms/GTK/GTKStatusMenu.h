#pragma once

#include "QuorvaneApp/Platform/StatusItem.h"

#include <functional>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The tray item's GTK menu, kept in step with the lines it is given. At each level lines are matched by
// their keys: a kept line's widget is changed where it stands, a new line is inserted at its place, a gone
// one removed, and a submenu whose lines are all unchanged is not touched. The tray's D-Bus mirror of the
// menu follows it widget by widget, so a small change costs little on both sides. Main thread only.
class GTKStatusMenu {
public:
    // `chosen` receives the key of every enabled line activated.
    explicit GTKStatusMenu(std::function<void(const std::string& key)> chosen);
    ~GTKStatusMenu();
    GTKStatusMenu(const GTKStatusMenu&) = delete;
    GTKStatusMenu& operator=(const GTKStatusMenu&) = delete;

    // The menu: the same widget for the object's life.
    GtkWidget* widget() const { return m_menu; }
    // Brings the menu in line with `items`.
    void show(const std::vector<StatusMenuItem>& items);
    // The widget of the line with `key` at any level; null when there is none.
    GtkWidget* line(const std::string& key) const;

private:
    // Brings `menu`, which shows `shown`, in line with `items`.
    void reconcile(GtkWidget* menu, const std::vector<StatusMenuItem>& items, const std::vector<StatusMenuItem>& shown);
    // Brings a kept line's widget, which shows `shown`, in line with `item`.
    void update(GtkWidget* widget, const StatusMenuItem& item, const StatusMenuItem& shown);
    GtkWidget* buildLine(const StatusMenuItem&);
    GtkWidget* buildMenu(const std::vector<StatusMenuItem>&);
    static void activated(GtkWidget* widget, void* self);

    GtkWidget* m_menu = nullptr;
    // What the menu shows, line for widget.
    std::vector<StatusMenuItem> m_shown;
    std::function<void(const std::string&)> m_chosen;
};

} // namespace quorvane
