#pragma once

#include "QuorvaneApp/Platform/OverlayPanels.h"

#include <string>

typedef struct _GdkScreen GdkScreen;
typedef struct _GtkWidget GtkWidget;
typedef struct _cairo cairo_t;
typedef struct _cairo_region cairo_region_t;

namespace quorvane {

// One ring around a managed window: a window the mouse passes through, drawn as a rounded outline where a
// compositor blends it and, elsewhere, shaped to the outline itself so that nothing shows as a box.
class GTKRingWindow {
public:
    // A ring on `screen`, named `title`.
    GTKRingWindow(GdkScreen* screen, const std::string& title);
    ~GTKRingWindow();
    GTKRingWindow(const GTKRingWindow&) = delete;
    GTKRingWindow& operator=(const GTKRingWindow&) = delete;

    // Places and draws the ring (work is done only when it changed) and keeps it above other windows;
    // answers whether its frame changed.
    bool update(const Ring&);
    std::string windowId() const;

    // The pixels an outline covers in a `width` × `height` window: a line of `lineWidth` set `inset` in from
    // the edges, dashed `on`/`off` along the whole perimeter (solid when `off` is 0). The caller destroys it.
    static cairo_region_t* outline(int width, int height, int inset, int lineWidth, int on, int off);

private:
    static int draw(GtkWidget*, cairo_t*, void* self);

    GtkWidget* m_window;
    Ring m_ring;
    bool m_placed = false;
    bool m_composited;
};

} // namespace quorvane
