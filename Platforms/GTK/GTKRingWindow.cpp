#include "Platforms/GTK/GTKRingWindow.h"

#include "Platforms/GTK/GTKOverlayWindow.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

constexpr int inset = 3;
constexpr double cornerRadius = 10;
constexpr int dashOn = 5, dashOff = 4;
constexpr int lineWidth = 1, focusedLineWidth = 2;

// The palette's line colour and green, dark appearance.
constexpr double line[] = { 35 / 255.0, 42 / 255.0, 51 / 255.0 };
constexpr double green[] = { 126 / 255.0, 231 / 255.0, 135 / 255.0 };
constexpr double focusedFill = 0.25;

void roundedRectangle(cairo_t* cairo, double x, double y, double width, double height, double radius)
{
    radius = std::min({ radius, width / 2, height / 2 });
    cairo_new_sub_path(cairo);
    cairo_arc(cairo, x + width - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cairo, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
    cairo_arc(cairo, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cairo, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cairo);
}

} // namespace

GTKRingWindow::GTKRingWindow(GdkScreen* screen, const std::string& title)
    : m_window(GTKOverlayWindow::create(title, screen))
    , m_composited(GTKOverlayWindow::composited(screen))
{
    gtk_widget_set_app_paintable(m_window, TRUE);
    g_signal_connect(m_window, "draw", G_CALLBACK(draw), this);
    gtk_widget_realize(m_window);
    GTKOverlayWindow::passClicksThrough(m_window);
}

GTKRingWindow::~GTKRingWindow()
{
    gtk_widget_destroy(m_window);
}

std::string GTKRingWindow::windowId() const
{
    return GTKOverlayWindow::windowId(m_window);
}

bool GTKRingWindow::update(const Ring& ring)
{
    bool moved = !m_placed || !(ring.frame == m_ring.frame);
    if (!m_placed || !(ring == m_ring)) {
        bool resized = !m_placed || ring.frame.width != m_ring.frame.width || ring.frame.height != m_ring.frame.height
            || ring.focused != m_ring.focused;
        m_ring = ring;
        m_placed = true;
        GTKOverlayWindow::place(m_window, ring.frame);
        if (resized && !m_composited) {
            int scale = GTKOverlayWindow::scaleAt(m_window, ring.frame);
            int width = static_cast<int>(std::lround(ring.frame.width / scale));
            int height = static_cast<int>(std::lround(ring.frame.height / scale));
            cairo_region_t* shape = ring.focused ? outline(width, height, inset, focusedLineWidth, 1, 0)
                                                 : outline(width, height, inset, lineWidth, dashOn, dashOff);
            gtk_widget_shape_combine_region(m_window, shape);
            cairo_region_destroy(shape);
        }
        gtk_widget_queue_draw(m_window);
    }
    if (!gtk_widget_get_visible(m_window))
        gtk_widget_show(m_window);
    // A window the window manager raised since then would cover the ring.
    gdk_window_raise(gtk_widget_get_window(m_window));
    return moved;
}

cairo_region_t* GTKRingWindow::outline(int width, int height, int inset, int lineWidth, int on, int off)
{
    cairo_region_t* region = cairo_region_create();
    int left = inset, top = inset, right = width - inset, bottom = height - inset;
    if (right - left < 2 * lineWidth || bottom - top < 2 * lineWidth)
        return region;
    // The four sides clockwise from the top-left corner: the first pixel along the side, the direction, the
    // length, and where the line's thickness starts across it. The dash pattern runs on round the corners.
    struct Side {
        bool horizontal;
        int first, direction, length, across;
    };
    const Side sides[] = {
        { true, left, 1, right - left, top },
        { false, top, 1, bottom - top, right - lineWidth },
        { true, right - 1, -1, right - left, bottom - lineWidth },
        { false, bottom - 1, -1, bottom - top, left },
    };
    int period = on + off;
    int phase = 0;
    for (const Side& side : sides) {
        for (int done = 0; done < side.length;) {
            bool drawn = off == 0 || phase < on;
            int step = std::min((off == 0 ? side.length : drawn ? on - phase : period - phase), side.length - done);
            if (drawn) {
                int start = side.direction > 0 ? side.first + done : side.first - done - step + 1;
                cairo_rectangle_int_t piece = side.horizontal
                    ? cairo_rectangle_int_t { start, side.across, step, lineWidth }
                    : cairo_rectangle_int_t { side.across, start, lineWidth, step };
                cairo_region_union_rectangle(region, &piece);
            }
            done += step;
            if (off != 0)
                phase = (phase + step) % period;
        }
    }
    return region;
}

int GTKRingWindow::draw(GtkWidget* widget, cairo_t* cairo, void* data)
{
    const auto* self = static_cast<const GTKRingWindow*>(data);
    double width = gtk_widget_get_allocated_width(widget);
    double height = gtk_widget_get_allocated_height(widget);
    bool focused = self->m_ring.focused;
    const double* colour = focused ? green : line;
    if (!self->m_composited) {
        // The shape leaves only the outline: paint it all.
        cairo_set_source_rgb(cairo, colour[0], colour[1], colour[2]);
        cairo_paint(cairo);
        return TRUE;
    }
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cairo, 0, 0, 0, 0);
    cairo_paint(cairo);
    cairo_set_operator(cairo, CAIRO_OPERATOR_OVER);
    double stroke = focused ? focusedLineWidth : lineWidth;
    double half = stroke / 2;
    roundedRectangle(
        cairo, inset + half, inset + half, width - 2 * inset - stroke, height - 2 * inset - stroke, cornerRadius);
    if (focused) {
        cairo_set_source_rgba(cairo, colour[0], colour[1], colour[2], focusedFill);
        cairo_fill_preserve(cairo);
    } else {
        const double dashes[] = { static_cast<double>(dashOn), static_cast<double>(dashOff) };
        cairo_set_dash(cairo, dashes, 2, 0);
    }
    cairo_set_source_rgb(cairo, colour[0], colour[1], colour[2]);
    cairo_set_line_width(cairo, stroke);
    cairo_stroke(cairo);
    return TRUE;
}

} // namespace quorvane
