#include "Platforms/GTK/GTKStatusItem.h"

#include "Platforms/GLib/SessionBus.h"
#include "Platforms/GTK/GTKStatusMenu.h"
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
    m_menu.reset();
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
    bool first = !m_menu;
    if (first) {
        m_menu = std::make_unique<GTKStatusMenu>([this](const std::string& key) {
            // Copied: the application may replace the handler before it returns.
            if (auto handler = m_chosen)
                handler(key);
        });
    }
    m_menu->show(content.items);
    if (first)
        app_indicator_set_menu(m_indicator, GTK_MENU(m_menu->widget()));
    // The indicator holds on to the line a middle click activates until it is given another.
    GtkWidget* secondary = m_menu->line(content.secondaryKey);
    if (first || secondary != m_secondary) {
        app_indicator_set_secondary_activate_target(m_indicator, secondary);
        m_secondary = secondary;
    }
    if (first) {
        // The item shows once it has a menu to show.
        applyLook();
        app_indicator_set_status(m_indicator, APP_INDICATOR_STATUS_ACTIVE);
    }
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
