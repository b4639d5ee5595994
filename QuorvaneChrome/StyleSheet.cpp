#include "QuorvaneChrome/StyleSheet.h"

#include <gtk/gtk.h>

#include <set>
#include <utility>

namespace quorvane {

void installStyleSheet(const char* css, GdkScreen* screen)
{
    if (!screen)
        screen = gdk_screen_get_default();
    static std::set<std::pair<const char*, GdkScreen*>> installed;
    if (!installed.emplace(css, screen).second)
        return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css, -1, nullptr);
    gtk_style_context_add_provider_for_screen(
        screen, GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

} // namespace quorvane
