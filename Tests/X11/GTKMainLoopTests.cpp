// GTK's event sources and idles live on GLib's default context: a window drawn by GTK must draw while the
// application's main loop runs, with no loop of GTK's own.
#include "Platforms/GLib/GLibMainLoop.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace quorvane {
namespace {

TEST(GTKOnTheMainLoop, AWindowDrawsWhileTheApplicationsLoopRuns)
{
    test::VirtualDesktop desktop;
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    GLibMainLoop loop;
    struct Seen {
        GLibMainLoop* loop;
        bool drawn = false;
    } seen { &loop };
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 200, 100);
    g_signal_connect(window, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer data) -> gboolean {
        auto* seen = static_cast<Seen*>(data);
        seen->drawn = true;
        seen->loop->quit();
        return FALSE;
    }), &seen);
    gtk_widget_show_all(window);
    // A bound on waiting for the first frame, not a measure of it.
    loop.addTimer(20, false, [&] { loop.quit(); });
    loop.run();
    EXPECT_TRUE(seen.drawn);
    gtk_widget_destroy(window);
}

} // namespace
} // namespace quorvane
