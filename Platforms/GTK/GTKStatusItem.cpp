#include "Platforms/GTK/GTKStatusItem.h"

#include "Platforms/GLib/SessionBus.h"
#include "Platforms/GTK/GTKTextPrompt.h"

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace quorvane {

namespace {

// Where a StatusNotifier host's watcher answers on the session bus.
constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
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

// Whether two lists of lines take the same widgets: the same kinds and keys in the same order, toned or not
// alike, with submenus alike.
bool sameShape(const std::vector<StatusMenuItem>& left, const std::vector<StatusMenuItem>& right)
{
    if (left.size() != right.size())
        return false;
    for (size_t index = 0; index < left.size(); ++index) {
        const StatusMenuItem& a = left[index];
        const StatusMenuItem& b = right[index];
        if (a.kind != b.kind || a.key != b.key || (a.tone == MenuTone::plain) != (b.tone == MenuTone::plain)
            || !sameShape(a.items, b.items))
            return false;
    }
    return true;
}

void setAccessibleName(GtkWidget* widget, const std::string& name)
{
    if (AtkObject* accessible = gtk_widget_get_accessible(widget))
        atk_object_set_name(accessible, name.c_str());
}

} // namespace

GTKStatusItem::GTKStatusItem(const std::string& id, const std::string& iconThemePath)
    : m_iconThemePath(iconThemePath)
{
    // The item talks to the tray over the session bus; the application outlives the bus (its end on log-out
    // comes with the display's, which ends the application in order).
    SessionBus::surviveItsEnd();
    m_indicator = app_indicator_new(id.c_str(), "", APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    if (m_iconThemePath.empty())
        return;
    // The XEmbed icon that stands in where no StatusNotifier host runs is drawn by GTK from its own themes.
    gtk_icon_theme_prepend_search_path(gtk_icon_theme_get_default(), m_iconThemePath.c_str());
    // A host is told the folder only while it is there: with a folder set, the indicator's own switch to the
    // XEmbed icon reads past the end of GTK's search path and crashes.
    g_signal_connect(m_indicator, "connection-changed", G_CALLBACK(+[](AppIndicator* indicator, gboolean connected, gpointer self) {
        const std::string& folder = static_cast<GTKStatusItem*>(self)->m_iconThemePath;
        app_indicator_set_icon_theme_path(indicator, connected ? folder.c_str() : nullptr);
    }),
        this);
}

GTKStatusItem::~GTKStatusItem()
{
    m_prompt.reset();
    if (m_about)
        gtk_widget_destroy(m_about);
    // The item leaves the tray as its indicator goes; its menu goes with it.
    g_object_unref(m_indicator);
    if (m_menu) {
        gtk_widget_destroy(m_menu);
        g_object_unref(m_menu);
    }
}

void GTKStatusItem::setLook(const StatusItemLook& look)
{
    m_look = look;
    // The indicator announces a change on the bus, which it can do only once it has a menu.
    if (m_menu)
        applyLook();
}

void GTKStatusItem::applyLook()
{
    app_indicator_set_icon_full(m_indicator, m_look.iconName.c_str(), m_look.title.c_str());
    app_indicator_set_title(m_indicator, m_look.title.c_str());
}

void GTKStatusItem::setMenu(const StatusMenuContent& content)
{
    // A menu of the same lines is changed where it stands: far cheaper than a new one, and the tray gets
    // only the properties that changed.
    if (m_menu && content.secondaryKey == m_shown.secondaryKey && sameShape(content.items, m_shown.items)) {
        update(m_menu, content.items, m_shown.items);
        m_shown = content;
        return;
    }
    m_shown = content;
    GtkWidget* secondary = nullptr;
    GtkWidget* menu = buildMenu(content.items, content.secondaryKey, secondary);
    g_object_ref_sink(menu);
    // The indicator keeps no reference to the old target: it lets go of it before the old menu goes.
    app_indicator_set_secondary_activate_target(m_indicator, nullptr);
    app_indicator_set_menu(m_indicator, GTK_MENU(menu));
    app_indicator_set_secondary_activate_target(m_indicator, secondary);
    GtkWidget* old = m_menu;
    m_menu = menu;
    if (old) {
        gtk_widget_destroy(old);
        g_object_unref(old);
    } else {
        // The item shows once it has a menu to show.
        applyLook();
        app_indicator_set_status(m_indicator, APP_INDICATOR_STATUS_ACTIVE);
    }
}

void GTKStatusItem::update(
    GtkWidget* menu, const std::vector<StatusMenuItem>& items, const std::vector<StatusMenuItem>& shown)
{
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    size_t index = 0;
    for (GList* child = children; child && index < items.size(); child = child->next, ++index) {
        GtkWidget* widget = GTK_WIDGET(child->data);
        const StatusMenuItem& item = items[index];
        const StatusMenuItem& before = shown[index];
        if (item.kind == StatusMenuItem::Kind::separator)
            continue;
        if (item.label != before.label)
            gtk_menu_item_set_label(GTK_MENU_ITEM(widget), item.label.c_str());
        if (item.enabled != before.enabled)
            gtk_widget_set_sensitive(widget, item.enabled);
        if (item.accessibleLabel != before.accessibleLabel || item.label != before.label)
            setAccessibleName(widget, item.accessibleLabel.empty() ? item.label : item.accessibleLabel);
        // Against the widget, not the last menu: a check line toggles itself as it is chosen.
        if (item.kind == StatusMenuItem::Kind::check
            && bool(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(widget))) != item.checked) {
            g_signal_handlers_block_by_func(widget, reinterpret_cast<gpointer>(activated), this);
            gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
            g_signal_handlers_unblock_by_func(widget, reinterpret_cast<gpointer>(activated), this);
        }
        if (item.tone != before.tone) {
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            gtk_image_menu_item_set_image(GTK_IMAGE_MENU_ITEM(widget),
                gtk_image_new_from_icon_name(toneIcon(item.tone), GTK_ICON_SIZE_MENU));
            G_GNUC_END_IGNORE_DEPRECATIONS
        }
        if (item.kind == StatusMenuItem::Kind::submenu)
            update(gtk_menu_item_get_submenu(GTK_MENU_ITEM(widget)), item.items, before.items);
    }
    g_list_free(children);
}

GtkWidget* GTKStatusItem::buildMenu(
    const std::vector<StatusMenuItem>& items, const std::string& secondaryKey, GtkWidget*& secondary)
{
    GtkWidget* menu = gtk_menu_new();
    for (const StatusMenuItem& item : items)
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), buildItem(item, secondaryKey, secondary));
    gtk_widget_show_all(menu);
    return menu;
}

GtkWidget* GTKStatusItem::buildItem(const StatusMenuItem& item, const std::string& secondaryKey, GtkWidget*& secondary)
{
    GtkWidget* widget = nullptr;
    switch (item.kind) {
    case StatusMenuItem::Kind::separator:
        return gtk_separator_menu_item_new();
    case StatusMenuItem::Kind::check:
        widget = gtk_check_menu_item_new_with_label(item.label.c_str());
        // Set before the handler is connected: setting the state activates the line.
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
        break;
    case StatusMenuItem::Kind::submenu:
        widget = gtk_menu_item_new_with_label(item.label.c_str());
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), buildMenu(item.items, secondaryKey, secondary));
        break;
    case StatusMenuItem::Kind::action:
        widget = labelledItem(item);
        break;
    }
    gtk_widget_set_sensitive(widget, item.enabled);
    if (!item.accessibleLabel.empty())
        setAccessibleName(widget, item.accessibleLabel);
    if (item.kind != StatusMenuItem::Kind::submenu) {
        g_object_set_data_full(G_OBJECT(widget), keyData, g_strdup(item.key.c_str()), g_free);
        g_signal_connect(widget, "activate", G_CALLBACK(activated), this);
    }
    if (!secondaryKey.empty() && item.key == secondaryKey)
        secondary = widget;
    return widget;
}

void GTKStatusItem::activated(GtkWidget* widget, void* self)
{
    auto* item = static_cast<GTKStatusItem*>(self);
    // The D-Bus menu delivers clicks on insensitive lines too.
    if (!gtk_widget_get_sensitive(widget) || !item->m_chosen)
        return;
    const char* key = static_cast<const char*>(g_object_get_data(G_OBJECT(widget), keyData));
    // Copied: the application may replace the menu, and this line with it, before it returns.
    std::string chosen = key ? key : "";
    auto handler = item->m_chosen;
    handler(chosen);
}

void GTKStatusItem::askForText(const TextRequest& request, std::function<void(std::optional<std::string>)> answer)
{
    if (m_prompt && m_prompt->open()) {
        m_prompt->present();
        answer(std::nullopt);
        return;
    }
    m_prompt = std::make_unique<GTKTextPrompt>(request, std::move(answer));
}

void GTKStatusItem::showAbout(const AboutContent& about)
{
    if (!m_about) {
        m_about = gtk_about_dialog_new();
        g_signal_connect(m_about, "response", G_CALLBACK(+[](GtkDialog* dialog, int, gpointer) {
            gtk_widget_hide(GTK_WIDGET(dialog));
        }),
            nullptr);
        g_signal_connect(m_about, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
    }
    GtkAboutDialog* dialog = GTK_ABOUT_DIALOG(m_about);
    gtk_about_dialog_set_program_name(dialog, about.name.c_str());
    gtk_about_dialog_set_version(dialog, about.version.c_str());
    gtk_about_dialog_set_comments(dialog, about.summary.c_str());
    gtk_about_dialog_set_logo_icon_name(dialog, about.iconName.c_str());
    gtk_window_present(GTK_WINDOW(m_about));
}

TrayHost GTKStatusItem::host()
{
    if (SessionBus::nameHasOwner(watcherName))
        return TrayHost::statusNotifier;
#ifdef GDK_WINDOWING_X11
    GdkDisplay* display = gdk_display_get_default();
    if (display && GDK_IS_X11_DISPLAY(display)) {
        GdkScreen* screen = gdk_display_get_default_screen(display);
        std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(gdk_x11_screen_get_screen_number(screen));
        Display* xlib = GDK_DISPLAY_XDISPLAY(display);
        if (XGetSelectionOwner(xlib, XInternAtom(xlib, selection.c_str(), False)) != None)
            return TrayHost::xembed;
    }
#endif
    return TrayHost::none;
}

} // namespace quorvane
