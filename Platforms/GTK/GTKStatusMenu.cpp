#include "Platforms/GTK/GTKStatusMenu.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstddef>

namespace quorvane {

namespace {

using Kind = StatusMenuItem::Kind;

// The line's key, kept on its widget.
constexpr const char* keyData = "quorvane-key";

const char* toneIcon(MenuTone tone)
{
    switch (tone) {
    case MenuTone::success:
        return "emblem-ok-symbolic";
    case MenuTone::failure:
        return "dialog-warning-symbolic";
    case MenuTone::plain:
        break;
    }
    return nullptr;
}

// A line whose label may carry an icon for its tone. The D-Bus menu sends the icon only of an image menu
// item that always shows its image, a kind GTK has deprecated but the menu's mirror still reads.
GtkWidget* labelledItem(const StatusMenuItem& item)
{
    const char* icon = toneIcon(item.tone);
    if (!icon)
        return gtk_menu_item_new_with_label(item.label.c_str());
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* widget = gtk_image_menu_item_new_with_label(item.label.c_str());
    gtk_image_menu_item_set_image(
        GTK_IMAGE_MENU_ITEM(widget), gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_MENU));
    gtk_image_menu_item_set_always_show_image(GTK_IMAGE_MENU_ITEM(widget), TRUE);
    G_GNUC_END_IGNORE_DEPRECATIONS
    return widget;
}

// Whether the widget made for `shown` can show `item`: the same line, of a widget of the same kind (a toned
// line's carries an image).
bool fits(const StatusMenuItem& shown, const StatusMenuItem& item)
{
    return shown.key == item.key && shown.kind == item.kind
        && (shown.tone == MenuTone::plain) == (item.tone == MenuTone::plain);
}

void setAccessibleName(GtkWidget* widget, const std::string& name)
{
    if (AtkObject* accessible = gtk_widget_get_accessible(widget))
        atk_object_set_name(accessible, name.c_str());
}

const std::string& accessibleName(const StatusMenuItem& item)
{
    return item.accessibleLabel.empty() ? item.label : item.accessibleLabel;
}

std::vector<GtkWidget*> children(GtkWidget* menu)
{
    GList* list = gtk_container_get_children(GTK_CONTAINER(menu));
    std::vector<GtkWidget*> widgets;
    for (GList* child = list; child; child = child->next)
        widgets.push_back(GTK_WIDGET(child->data));
    g_list_free(list);
    return widgets;
}

GtkWidget* submenuOf(GtkWidget* line)
{
    return gtk_menu_item_get_submenu(GTK_MENU_ITEM(line));
}

GtkWidget* findLine(GtkWidget* menu, const std::vector<StatusMenuItem>& items, const std::string& key)
{
    std::vector<GtkWidget*> widgets = children(menu);
    for (size_t index = 0; index < items.size() && index < widgets.size(); ++index) {
        const StatusMenuItem& item = items[index];
        if (item.kind != Kind::separator && item.key == key)
            return widgets[index];
        if (item.kind == Kind::submenu) {
            if (GtkWidget* found = findLine(submenuOf(widgets[index]), item.items, key))
                return found;
        }
    }
    return nullptr;
}

} // namespace

GTKStatusMenu::GTKStatusMenu(std::function<void(const std::string& key)> chosen)
    : m_chosen(std::move(chosen))
{
    m_menu = gtk_menu_new();
    g_object_ref_sink(m_menu);
    gtk_widget_show(m_menu);
}

GTKStatusMenu::~GTKStatusMenu()
{
    gtk_widget_destroy(m_menu);
    g_object_unref(m_menu);
}

void GTKStatusMenu::show(const std::vector<StatusMenuItem>& items)
{
    reconcile(m_menu, items, m_shown);
    m_shown = items;
}

GtkWidget* GTKStatusMenu::line(const std::string& key) const
{
    return key.empty() ? nullptr : findLine(m_menu, m_shown, key);
}

void GTKStatusMenu::reconcile(
    GtkWidget* menu, const std::vector<StatusMenuItem>& items, const std::vector<StatusMenuItem>& shown)
{
    std::vector<GtkWidget*> widgets = children(menu);
    // The menu holds the lines placed so far, then the shown lines from `next` on.
    size_t next = 0;
    for (size_t index = 0; index < items.size(); ++index) {
        const StatusMenuItem& item = items[index];
        auto kept = std::find_if(shown.begin() + static_cast<std::ptrdiff_t>(next), shown.end(), [&](const StatusMenuItem& line) {
            return fits(line, item);
        });
        if (kept == shown.end()) {
            gtk_menu_shell_insert(GTK_MENU_SHELL(menu), buildLine(item), static_cast<int>(index));
            continue;
        }
        // The lines passed over are gone (a line that moved up comes back as a new one).
        size_t at = static_cast<size_t>(kept - shown.begin());
        for (; next < at; ++next)
            gtk_widget_destroy(widgets[next]);
        update(widgets[at], item, shown[at]);
        next = at + 1;
    }
    for (; next < shown.size(); ++next)
        gtk_widget_destroy(widgets[next]);
}

void GTKStatusMenu::update(GtkWidget* widget, const StatusMenuItem& item, const StatusMenuItem& shown)
{
    if (item == shown || item.kind == Kind::separator)
        return;
    if (item.label != shown.label)
        gtk_menu_item_set_label(GTK_MENU_ITEM(widget), item.label.c_str());
    if (item.enabled != shown.enabled)
        gtk_widget_set_sensitive(widget, item.enabled);
    if (accessibleName(item) != accessibleName(shown))
        setAccessibleName(widget, accessibleName(item));
    if (item.kind == Kind::check && item.checked != shown.checked) {
        g_signal_handlers_block_by_func(widget, reinterpret_cast<gpointer>(activated), this);
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
        g_signal_handlers_unblock_by_func(widget, reinterpret_cast<gpointer>(activated), this);
    }
    if (item.tone != shown.tone) {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_image_menu_item_set_image(
            GTK_IMAGE_MENU_ITEM(widget), gtk_image_new_from_icon_name(toneIcon(item.tone), GTK_ICON_SIZE_MENU));
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
    if (item.kind == Kind::submenu && item.items != shown.items)
        reconcile(submenuOf(widget), item.items, shown.items);
}

GtkWidget* GTKStatusMenu::buildMenu(const std::vector<StatusMenuItem>& items)
{
    GtkWidget* menu = gtk_menu_new();
    for (const StatusMenuItem& item : items)
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), buildLine(item));
    gtk_widget_show(menu);
    return menu;
}

GtkWidget* GTKStatusMenu::buildLine(const StatusMenuItem& item)
{
    GtkWidget* widget = nullptr;
    switch (item.kind) {
    case Kind::separator:
        widget = gtk_separator_menu_item_new();
        gtk_widget_show(widget);
        return widget;
    case Kind::check:
        widget = gtk_check_menu_item_new_with_label(item.label.c_str());
        // Set before the handler is connected: setting the state activates the line.
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
        break;
    case Kind::submenu:
        widget = gtk_menu_item_new_with_label(item.label.c_str());
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), buildMenu(item.items));
        break;
    case Kind::action:
        widget = labelledItem(item);
        break;
    }
    gtk_widget_set_sensitive(widget, item.enabled);
    if (!item.accessibleLabel.empty())
        setAccessibleName(widget, item.accessibleLabel);
    if (item.kind != Kind::submenu) {
        g_object_set_data_full(G_OBJECT(widget), keyData, g_strdup(item.key.c_str()), g_free);
        g_signal_connect(widget, "activate", G_CALLBACK(activated), this);
    }
    // Shown before it joins a menu, so that the menu's mirror takes it in as visible.
    gtk_widget_show_all(widget);
    return widget;
}

void GTKStatusMenu::activated(GtkWidget* widget, void* self)
{
    auto* menu = static_cast<GTKStatusMenu*>(self);
    // A check line toggles itself as it is activated; it shows what the application decides instead, which
    // comes with the next menu.
    if (GTK_IS_CHECK_MENU_ITEM(widget)) {
        GtkCheckMenuItem* check = GTK_CHECK_MENU_ITEM(widget);
        g_signal_handlers_block_by_func(widget, reinterpret_cast<gpointer>(activated), self);
        gtk_check_menu_item_set_active(check, !gtk_check_menu_item_get_active(check));
        g_signal_handlers_unblock_by_func(widget, reinterpret_cast<gpointer>(activated), self);
    }
    // The D-Bus menu delivers clicks on insensitive lines too.
    if (!gtk_widget_get_sensitive(widget) || !menu->m_chosen)
        return;
    const char* key = static_cast<const char*>(g_object_get_data(G_OBJECT(widget), keyData));
    // Copied: the application may change the menu, and remove this line, before it returns.
    std::string chosen = key ? key : "";
    auto handler = menu->m_chosen;
    handler(chosen);
}

} // namespace quorvane
