#include "Platforms/GTK/GTKOverlayPanels.h"

#include "Platforms/GTK/GTKOverlayWindow.h"
#include "Platforms/GTK/GTKPanelViews.h"
#include "Platforms/GTK/GTKRingWindow.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace quorvane {

namespace {

const char* titleOf(PanelKind kind)
{
    switch (kind) {
    case PanelKind::cheatSheet:
        return "Tile mode";
    case PanelKind::notice:
        return "Notice";
    case PanelKind::toast:
        return "Agent";
    }
    return "Notice";
}

// The Wayland display the panels may be opened on beside GTK's own.
GdkDisplay* waylandDisplay = nullptr;

// GDK ends the process at once when its Wayland connection breaks (when the compositor goes), from its event
// source's check. This source, checked first for its higher priority, sees the hang-up on the same socket in
// the same pass, retires GDK's source before its check runs, and reports the loss on the main loop instead.
struct LossWatch {
    GSource base;
    GSource* gdk;
    void* tag;
    std::function<void()>* lost;
};

gboolean lossCheck(GSource* source)
{
    auto* watch = reinterpret_cast<LossWatch*>(source);
    if (!(g_source_query_unix_fd(source, watch->tag) & (G_IO_HUP | G_IO_ERR)))
        return FALSE;
    if (watch->gdk) {
        g_source_destroy(watch->gdk);
        g_source_unref(watch->gdk);
        watch->gdk = nullptr;
    }
    return TRUE;
}

gboolean lossDispatch(GSource* source, GSourceFunc, gpointer)
{
    auto* watch = reinterpret_cast<LossWatch*>(source);
    if (*watch->lost)
        (*watch->lost)();
    return G_SOURCE_REMOVE;
}

void lossFinalize(GSource* source)
{
    auto* watch = reinterpret_cast<LossWatch*>(source);
    if (watch->gdk)
        g_source_unref(watch->gdk);
    delete watch->lost;
}

GSourceFuncs lossFuncs { nullptr, lossCheck, lossDispatch, lossFinalize, nullptr, nullptr };

// GDK's event source of the Wayland display just opened: the newest source of that name.
GSource* gdkWaylandSource()
{
    GSource* probe = g_idle_source_new();
    unsigned newest = g_source_attach(probe, nullptr);
    g_source_destroy(probe);
    g_source_unref(probe);
    for (unsigned id = newest; id > 0 && newest - id < 64; --id) {
        GSource* source = g_main_context_find_source_by_id(nullptr, id);
        const char* name = source ? g_source_get_name(source) : nullptr;
        if (name && g_str_has_prefix(name, "GDK Wayland Event source") && source->poll_fds)
            return g_source_ref(source);
    }
    return nullptr;
}

} // namespace

bool GTKOverlayPanels::start(const std::string& display)
{
    // The X11 backend of GDK opens `display`, so the windows' ids are the X11 backend's; the Wayland backend
    // only opens a display asked for by name later.
    gdk_set_allowed_backends("x11,wayland");
    // The overlay never draws with OpenGL; without this GDK loads the GL driver to choose its visuals, which
    // costs some 50 MB of resident memory. Only GDK's own start-up sees the setting: programs the application
    // launches later do not inherit it.
    bool glChosen = g_getenv("GDK_GL") != nullptr;
    if (!glChosen)
        g_setenv("GDK_GL", "disable", TRUE);
    std::string program = "quorvane-app", option = "--display", name = display;
    char* arguments[] = { program.data(), option.data(), name.data(), nullptr };
    int count = 3;
    char** argv = arguments;
    bool started = gtk_init_check(&count, &argv);
    if (!glChosen)
        g_unsetenv("GDK_GL");
#ifdef GDK_WINDOWING_X11
    // When the display goes, GDK would end the process at once; the application's own connection sees the
    // loss too and shuts down in order, with its own exit status. Xlib then drops what GDK still sends.
    if (started && GDK_IS_X11_DISPLAY(gdk_display_get_default())) {
        XSetIOErrorHandler([](Display*) { return 0; });
        XSetIOErrorExitHandler(
            GDK_DISPLAY_XDISPLAY(gdk_display_get_default()), [](Display*, void*) {}, nullptr);
    }
#endif
    return started;
}

bool GTKOverlayPanels::openWayland(const std::string& name, std::function<void()> lost)
{
    if (waylandDisplay || name.empty())
        return waylandDisplay != nullptr;
    waylandDisplay = gdk_display_open(name.c_str());
    if (!waylandDisplay)
        return false;
    GSource* gdk = gdkWaylandSource();
    if (!gdk) {
        // Without the watch a lost compositor would end the process unannounced: no panels then.
        gdk_display_close(waylandDisplay);
        waylandDisplay = nullptr;
        return false;
    }
    GSource* source = g_source_new(&lossFuncs, sizeof(LossWatch));
    auto* watch = reinterpret_cast<LossWatch*>(source);
    watch->gdk = gdk;
    watch->lost = new std::function<void()>(std::move(lost));
    int descriptor = static_cast<GPollFD*>(gdk->poll_fds->data)->fd;
    watch->tag = g_source_add_unix_fd(source, descriptor, GIOCondition(G_IO_HUP | G_IO_ERR));
    g_source_set_priority(source, G_PRIORITY_HIGH);
    g_source_set_name(source, "Quorvane Wayland loss watch");
    g_source_attach(source, nullptr);
    g_source_unref(source);
    return true;
}

GTKOverlayPanels::GTKOverlayPanels()
    : m_screen(gdk_screen_get_default())
{
}

GTKOverlayPanels::GTKOverlayPanels(Placement placement)
    : m_screen(waylandDisplay ? gdk_display_get_default_screen(waylandDisplay) : gdk_screen_get_default())
    , m_placement(std::move(placement))
{
}

std::string GTKOverlayPanels::ringTitle(size_t index) const
{
    // Rings placed by the window system are told apart by their titles.
    return m_placement ? "Tile mode ring " + std::to_string(index + 1) : "Tile mode ring";
}

GTKOverlayPanels::~GTKOverlayPanels()
{
    m_rings.clear();
    for (auto& [kind, panel] : m_panels)
        gtk_widget_destroy(panel.window);
}

GTKOverlayPanels::Panel& GTKOverlayPanels::panel(PanelKind kind)
{
    Panel& panel = m_panels[kind];
    if (!panel.window) {
        panel.window = GTKOverlayWindow::create(titleOf(kind), m_screen);
        gtk_widget_realize(panel.window);
        // The notice lets the mouse through; the panels that may hold buttons do not.
        if (kind == PanelKind::notice)
            GTKOverlayWindow::passClicksThrough(panel.window);
    }
    return panel;
}

void GTKOverlayPanels::show(PanelKind kind, const Frame& frame, const PanelContent& content)
{
    Panel& shown = panel(kind);
    if (!shown.content || !(content == shown.shown)) {
        if (shown.content)
            gtk_widget_destroy(shown.content);
        shown.content = GTKPanelViews::build(kind, content, [this, kind] {
            if (auto pressed = m_pressed)
                pressed(kind);
        });
        shown.shown = content;
        gtk_container_add(GTK_CONTAINER(shown.window), shown.content);
        gtk_widget_show_all(shown.content);
    }
    bool visible = gtk_widget_get_visible(shown.window);
    if (!visible || !(frame == shown.frame)) {
        shown.frame = frame;
        GTKOverlayWindow::place(shown.window, frame);
        if (m_placement)
            m_placement(titleOf(kind), frame);
    }
    if (!visible)
        gtk_widget_show(shown.window);
    else
        gdk_window_raise(gtk_widget_get_window(shown.window));
}

void GTKOverlayPanels::hide(PanelKind kind)
{
    auto found = m_panels.find(kind);
    if (found != m_panels.end())
        gtk_widget_hide(found->second.window);
}

void GTKOverlayPanels::setRings(const std::vector<Ring>& rings)
{
    if (m_rings.size() > rings.size())
        m_rings.resize(rings.size());
    while (m_rings.size() < rings.size())
        m_rings.push_back(std::make_unique<GTKRingWindow>(m_screen, ringTitle(m_rings.size())));
    for (size_t index = 0; index < rings.size(); ++index) {
        if (m_rings[index]->update(rings[index]) && m_placement)
            m_placement(ringTitle(index), rings[index].frame);
    }
    // The cheat sheet stays above the rings.
    auto sheet = m_panels.find(PanelKind::cheatSheet);
    if (!rings.empty() && sheet != m_panels.end() && gtk_widget_get_visible(sheet->second.window))
        gdk_window_raise(gtk_widget_get_window(sheet->second.window));
}

bool GTKOverlayPanels::owns(const std::string& windowId)
{
    for (const auto& [kind, panel] : m_panels) {
        if (GTKOverlayWindow::windowId(panel.window) == windowId)
            return true;
    }
    for (const std::unique_ptr<GTKRingWindow>& ring : m_rings) {
        if (ring->windowId() == windowId)
            return true;
    }
    return false;
}

} // namespace quorvane
