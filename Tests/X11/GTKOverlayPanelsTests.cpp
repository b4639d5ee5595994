// The GTK overlay's own facts: the outline a ring is shaped to without a compositor, and which windows the
// panels claim as theirs, named as the X11 backend names windows.
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GTK/GTKOverlayPanels.h"
#include "Platforms/GTK/GTKRingWindow.h"
#include "X11/VirtualDesktop.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

namespace quorvane {
namespace {

TEST(GTKRingOutline, CoversTheLineAndNothingElse)
{
    struct Case {
        int width, height, inset, lineWidth, on, off;
        // Points on the line that are drawn, and points that are not (inside, outside, or in a gap).
        std::vector<std::pair<int, int>> drawn, clear;
    };
    const Case cases[] = {
        // Solid, two pixels: a band from 3 to 5 on every side.
        { 20, 12, 3, 2, 1, 0, { { 3, 3 }, { 16, 4 }, { 10, 8 }, { 4, 6 }, { 16, 8 } },
            { { 2, 2 }, { 5, 5 }, { 10, 6 }, { 17, 3 }, { 10, 9 } } },
        // Dashed 5 on, 4 off from the top-left corner, one pixel wide.
        { 30, 30, 3, 1, 5, 4, { { 3, 3 }, { 7, 3 }, { 12, 3 }, { 26, 6 }, { 26, 17 } },
            { { 8, 3 }, { 11, 3 }, { 26, 4 }, { 26, 21 }, { 4, 4 }, { 15, 15 }, { 27, 27 } } },
        // Too small for a line inside the inset: nothing.
        { 7, 7, 3, 1, 5, 4, {}, { { 3, 3 } } },
    };
    for (const Case& c : cases) {
        cairo_region_t* region = GTKRingWindow::outline(c.width, c.height, c.inset, c.lineWidth, c.on, c.off);
        for (auto [x, y] : c.drawn)
            EXPECT_TRUE(cairo_region_contains_point(region, x, y)) << c.width << ": " << x << "," << y;
        for (auto [x, y] : c.clear)
            EXPECT_FALSE(cairo_region_contains_point(region, x, y)) << c.width << ": " << x << "," << y;
        // Every pixel drawn is on the line.
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                bool band = x >= c.inset && y >= c.inset && x < c.width - c.inset && y < c.height - c.inset
                    && (x < c.inset + c.lineWidth || y < c.inset + c.lineWidth || x >= c.width - c.inset - c.lineWidth
                        || y >= c.height - c.inset - c.lineWidth);
                if (!band) {
                    EXPECT_FALSE(cairo_region_contains_point(region, x, y)) << x << "," << y;
                }
            }
        }
        cairo_region_destroy(region);
    }
}

// The ids of this process's top-level windows, as the X11 backend names them.
std::set<std::string> ownWindows()
{
    gdk_display_flush(gdk_display_get_default());
    std::set<std::string> found;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    auto* atom = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 11, "_NET_WM_PID"), nullptr);
    auto* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
    for (int index = 0; tree && index < xcb_query_tree_children_length(tree); ++index) {
        xcb_window_t window = xcb_query_tree_children(tree)[index];
        auto* pid = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        if (pid && xcb_get_property_value_length(pid) == 4
            && *static_cast<uint32_t*>(xcb_get_property_value(pid)) == static_cast<uint32_t>(::getpid()))
            found.insert("x11:" + std::to_string(window));
        std::free(pid);
    }
    std::free(tree);
    std::free(atom);
    xcb_disconnect(connection);
    return found;
}

TEST(GTKOverlayPanels, OwnTheirPanelsAndRingsByTheX11BackendsIds)
{
    test::VirtualDesktop desktop;
    ASSERT_TRUE(GTKOverlayPanels::start(std::getenv("DISPLAY")));
    GLibMainLoop loop;
    GTKOverlayPanels panels;
    panels.show(PanelKind::notice, Frame { 100, 100, 260, 36 }, PanelContent { "Only one display connected" });
    panels.setRings({ Ring { { 10, 10, 300, 200 }, true }, Ring { { 400, 10, 300, 200 }, false } });
    // GDK's hidden client leader is the process's too, but no panel.
    std::set<std::string> windows = ownWindows();
    auto owned = [&](const std::set<std::string>& ids) {
        return std::count_if(ids.begin(), ids.end(), [&](const std::string& id) { return panels.owns(id); });
    };
    EXPECT_EQ(owned(windows), 3);
    EXPECT_FALSE(panels.owns("x11:1"));
    EXPECT_FALSE(panels.owns(""));

    // The rings go with their windows; the notice stays.
    panels.setRings({});
    EXPECT_EQ(owned(windows), 1);
    EXPECT_EQ(ownWindows().size(), windows.size() - 2);
}

// The button labelled `label` at or under `widget`, or null.
GtkWidget* buttonIn(GtkWidget* widget, const std::string& label)
{
    if (GTK_IS_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget)) == label)
        return widget;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next)
            found = buttonIn(GTK_WIDGET(child->data), label);
        g_list_free(children);
    }
    return found;
}

GtkWidget* shownButton(const std::string& label)
{
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* window = windows; window && !found; window = window->next) {
        if (gtk_widget_get_visible(GTK_WIDGET(window->data)))
            found = buttonIn(GTK_WIDGET(window->data), label);
    }
    g_list_free(windows);
    return found;
}

TEST(GTKOverlayPanels, TheCheatSheetsButtonReportsItsPanel)
{
    test::VirtualDesktop desktop;
    ASSERT_TRUE(GTKOverlayPanels::start(std::getenv("DISPLAY")));
    GLibMainLoop loop;
    GTKOverlayPanels panels;
    std::vector<PanelKind> pressed;
    panels.setOnButton([&](PanelKind kind) { pressed.push_back(kind); });
    PanelContent content { "Tile mode", "", {}, { "Input Monitoring is off." } };
    panels.show(PanelKind::cheatSheet, Frame { 100, 100, 800, 420 }, content);
    EXPECT_EQ(shownButton("Open Settings"), nullptr);

    content.button = "Open Settings";
    panels.show(PanelKind::cheatSheet, Frame { 100, 100, 800, 420 }, content);
    GtkWidget* button = shownButton("Open Settings");
    ASSERT_NE(button, nullptr);
    gtk_button_clicked(GTK_BUTTON(button));
    EXPECT_EQ(pressed, std::vector<PanelKind> { PanelKind::cheatSheet });
}

} // namespace
} // namespace quorvane
