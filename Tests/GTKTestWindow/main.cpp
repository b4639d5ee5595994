// `quorvane-gtk-test-window`: one plain GTK 3 window, native on whatever display GDK picks (GDK_BACKEND=wayland
// for a Wayland client). Prints "shown" once the window is mapped, then lives until its standard input closes
// or it is killed.
//   --app-id ID     the application id (Wayland app_id, X11 _GTK_APPLICATION_ID)
//   --title TEXT    the window's title
//   --size WxH      default size (400x300)
//   --detached      ignores standard input: lives until killed
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

gboolean shown(GtkWidget*, GdkEvent*, gpointer)
{
    std::puts("shown");
    std::fflush(stdout);
    return FALSE;
}

gboolean inputReady(GIOChannel* channel, GIOCondition, gpointer)
{
    char buffer[256];
    gsize count = 0;
    GIOStatus status = g_io_channel_read_chars(channel, buffer, sizeof buffer, &count, nullptr);
    if (status == G_IO_STATUS_EOF || status == G_IO_STATUS_ERROR) {
        gtk_main_quit();
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

} // namespace

int main(int argc, char** argv)
{
    std::string applicationId = "org.example.GTKTestWindow";
    std::string title = "GTK test window";
    int width = 400, height = 300;
    bool detached = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--detached") {
            detached = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        if (value && option == "--app-id") {
            applicationId = value;
        } else if (value && option == "--title") {
            title = value;
        } else if (!value || option != "--size" || std::sscanf(value, "%dx%d", &width, &height) != 2) {
            std::fprintf(stderr, "quorvane-gtk-test-window: bad option %s\n", option.c_str());
            return 2;
        }
    }
    // GDK names the Wayland surface's app_id after the program.
    g_set_prgname(applicationId.c_str());
    if (!gtk_init_check(&argc, &argv)) {
        std::fputs("quorvane-gtk-test-window: no display\n", stderr);
        return 1;
    }
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), title.c_str());
    gtk_window_set_default_size(GTK_WINDOW(window), width, height);
    g_signal_connect(window, "map-event", G_CALLBACK(shown), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    GIOChannel* input = g_io_channel_unix_new(0);
    g_io_channel_set_encoding(input, nullptr, nullptr);
    if (!detached)
        g_io_add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), inputReady, nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    g_io_channel_unref(input);
    return 0;
}
