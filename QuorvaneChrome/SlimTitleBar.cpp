#include "QuorvaneChrome/SlimTitleBar.h"

#include "QuorvaneChrome/StyleSheet.h"

#include "Configuration/QuorvaneConfig.h"

#include <gtk/gtk.h>

#include <string>

namespace quorvane::SlimTitleBar {

namespace {

// Tighter than the theme's header bar, about the height of a window manager's title bar.
constexpr const char* styleSheet = R"css(
.quorvane-slim-titlebar { min-height: 0; padding: 0 4px; }
.quorvane-slim-titlebar button.titlebutton { min-height: 18px; min-width: 18px; padding: 2px; margin: 2px 0; }
.quorvane-slim-titlebar .title { font-weight: normal; }
)css";

} // namespace

void apply(GtkWindow* window, WindowChrome chrome)
{
    if (chrome == WindowChrome::standard) {
        gtk_window_set_decorated(window, TRUE);
        return;
    }
    installStyleSheet(styleSheet);
    GtkWidget* bar = gtk_header_bar_new();
    gtk_style_context_add_class(gtk_widget_get_style_context(bar), styleClass);
    // The buttons on the right in this order, whatever the desktop's layout says.
    gtk_header_bar_set_decoration_layout(GTK_HEADER_BAR(bar), ":minimize,maximize,close");
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(bar), TRUE);
    gtk_widget_show(bar);
    // Taking a title bar drops the window's title; given again, it goes to the bar as well, as each later
    // change does.
    const char* title = gtk_window_get_title(window);
    std::string kept = title ? title : "";
    gtk_window_set_titlebar(window, bar);
    gtk_window_set_title(window, kept.c_str());
}

} // namespace quorvane::SlimTitleBar
