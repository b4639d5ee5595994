// GTK's event sources and idles live on GLib's default context: a window drawn by GTK must draw while the
// application's main loop runs, with no loop of GTK's own.
#include "Platforms/GLib/GLibMainLoop.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>
#include <thread>
#include <vector>

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

// Some backends iterate the context inside posted work while they wait for a peer; later work must still run,
// in order, and none may be stranded by the wake-up it shared.
TEST(GLibMainLoop, WorkPostedBeforeOrDuringANestedIterationRunsInsideItInOrder)
{
    GLibMainLoop loop;
    std::vector<std::string> ran;
    loop.post([&] {
        ran.push_back("outer starts");
        std::thread([&] { loop.post([&] { ran.push_back("posted during"); }); }).join();
        while (ran.size() < 3)
            g_main_context_iteration(g_main_context_default(), TRUE);
        ran.push_back("outer ends");
    });
    loop.post([&] { ran.push_back("queued before"); });
    loop.post([&] { loop.addTimer(0.05, false, [&] { loop.quit(); }); });
    loop.run();
    EXPECT_EQ(ran, (std::vector<std::string> { "outer starts", "queued before", "posted during", "outer ends" }));
}

} // namespace
} // namespace quorvane
