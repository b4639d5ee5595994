#include "Platforms/GTK/GTKOverlayWindow.h"

#include "QuorvaneChrome/StyleSheet.h"

#include <gdk/gdk.h>
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

#include <cmath>

namespace quorvane::GTKOverlayWindow {

namespace {

// The dark palette of the overlay: panel, text, the line colour of rings and panel borders, and one tint per
// group of chords (the second is the palette's green).
constexpr const char* styleSheet = R"css(
.quorvane-overlay { background-color: #161b22; color: #e6edf3; }
.quorvane-overlay.composited { background-color: transparent; }
.quorvane-overlay .panel { background-color: #161b22; border: 1px solid #232a33; padding: 10px 18px; }
.quorvane-overlay.composited .panel { background-color: rgba(22, 27, 34, 0.95); border-radius: 12px; }
.quorvane-overlay .notice { padding: 0 12px; }
.quorvane-overlay .title { font-weight: bold; font-size: 140%; }
.quorvane-overlay .dim { color: #8b949e; }
.quorvane-overlay .heading { font-weight: bold; }
.quorvane-overlay .always { color: #8b949e; font-weight: bold; font-size: 85%; }
.quorvane-overlay .keycap { border-radius: 4px; border: 1px solid; padding: 0 5px; font-size: 85%; }
.quorvane-overlay scrolledwindow, .quorvane-overlay viewport { background-color: transparent; border: none; }
.quorvane-overlay .tint-0 .heading, .quorvane-overlay .tint-0 .keycap { color: #79c0ff; }
.quorvane-overlay .tint-0 .keycap { background-color: rgba(121, 192, 255, 0.15); border-color: rgba(121, 192, 255, 0.5); }
.quorvane-overlay .tint-1 .heading, .quorvane-overlay .tint-1 .keycap { color: #7ee787; }
.quorvane-overlay .tint-1 .keycap { background-color: rgba(126, 231, 135, 0.15); border-color: rgba(126, 231, 135, 0.5); }
.quorvane-overlay .tint-2 .heading, .quorvane-overlay .tint-2 .keycap { color: #ffa657; }
.quorvane-overlay .tint-2 .keycap { background-color: rgba(255, 166, 87, 0.15); border-color: rgba(255, 166, 87, 0.5); }
.quorvane-overlay .tint-3 .heading, .quorvane-overlay .tint-3 .keycap { color: #d2a8ff; }
.quorvane-overlay .tint-3 .keycap { background-color: rgba(210, 168, 255, 0.15); border-color: rgba(210, 168, 255, 0.5); }
)css";

bool onWayland(GdkScreen* screen)
{
#ifdef GDK_WINDOWING_WAYLAND
    return GDK_IS_WAYLAND_DISPLAY(gdk_screen_get_display(screen));
#else
    (void)screen;
    return false;
#endif
}

} // namespace

bool composited(GdkScreen* screen)
{
    return gdk_screen_is_composited(screen);
}

GtkWidget* create(const std::string& title, GdkScreen* screen)
{
    installStyleSheet(styleSheet, screen);
    // Wayland has no unmanaged windows: a popup without a parent would not map at all.
    bool wayland = onWayland(screen);
    GtkWidget* window = gtk_window_new(wayland ? GTK_WINDOW_TOPLEVEL : GTK_WINDOW_POPUP);
    gtk_window_set_screen(GTK_WINDOW(window), screen);
    if (wayland)
        gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_title(GTK_WINDOW(window), title.c_str());
    gtk_window_set_accept_focus(GTK_WINDOW(window), FALSE);
    gtk_window_set_focus_on_map(GTK_WINDOW(window), FALSE);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window), TRUE);
    gtk_window_set_skip_pager_hint(GTK_WINDOW(window), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_NOTIFICATION);
    gtk_window_set_keep_above(GTK_WINDOW(window), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    GtkStyleContext* style = gtk_widget_get_style_context(window);
    gtk_style_context_add_class(style, "quorvane-overlay");
    if (composited(screen)) {
        if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen)) {
            gtk_widget_set_visual(window, visual);
            gtk_widget_set_app_paintable(window, TRUE);
            gtk_style_context_add_class(style, "composited");
        }
    }
    return window;
}

int scaleAt(GtkWidget* window, const Frame& frame)
{
    GdkDisplay* display = gtk_widget_get_display(window);
    double centreX = frame.x + frame.width / 2, centreY = frame.y + frame.height / 2;
    int count = gdk_display_get_n_monitors(display);
    for (int index = 0; index < count; ++index) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, index);
        int scale = gdk_monitor_get_scale_factor(monitor);
        GdkRectangle area;
        gdk_monitor_get_geometry(monitor, &area);
        if (centreX >= area.x * scale && centreX < (area.x + area.width) * scale && centreY >= area.y * scale
            && centreY < (area.y + area.height) * scale)
            return scale;
    }
    GdkMonitor* primary = gdk_display_get_primary_monitor(display);
    if (!primary && count > 0)
        primary = gdk_display_get_monitor(display, 0);
    return primary ? gdk_monitor_get_scale_factor(primary) : 1;
}

void place(GtkWidget* window, const Frame& frame)
{
    double scale = scaleAt(window, frame);
    int width = std::max(1, static_cast<int>(std::lround(frame.width / scale)));
    int height = std::max(1, static_cast<int>(std::lround(frame.height / scale)));
    gtk_widget_set_size_request(window, width, height);
    gtk_window_resize(GTK_WINDOW(window), width, height);
    gtk_window_move(GTK_WINDOW(window), static_cast<int>(std::lround(frame.x / scale)),
        static_cast<int>(std::lround(frame.y / scale)));
}

void passClicksThrough(GtkWidget* window)
{
    cairo_region_t* nothing = cairo_region_create();
    gtk_widget_input_shape_combine_region(window, nothing);
    cairo_region_destroy(nothing);
}

std::string windowId(GtkWidget* window)
{
#ifdef GDK_WINDOWING_X11
    GdkWindow* surface = gtk_widget_get_window(window);
    if (surface && GDK_IS_X11_WINDOW(surface))
        return "x11:" + std::to_string(gdk_x11_window_get_xid(surface));
#else
    (void)window;
#endif
    return "";
}

} // namespace quorvane::GTKOverlayWindow
