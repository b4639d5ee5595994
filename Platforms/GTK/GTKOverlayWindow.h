#pragma once

#include "Tiling/Frame.h"

#include <string>

typedef struct _GdkScreen GdkScreen;
typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The helpers every overlay window shares: a popup that never takes focus, appears in no task bar or pager
// and never activates the application, placed in the global top-left space of the window system. On a
// Wayland screen it is an undecorated top-level window instead, which the compositor places.
namespace GTKOverlayWindow {

// Whether a compositor draws transparency on `screen`.
bool composited(GdkScreen* screen);
// A new hidden window named `title` (its accessible name) on `screen`, with the RGBA visual only where a
// compositor blends it (elsewhere an RGBA window shows as a black box).
GtkWidget* create(const std::string& title, GdkScreen* screen);
// Moves and sizes `window` to `frame`, given in device pixels: GDK's own units are those divided by the
// scale of the monitor the frame lies on, so the window keeps its size on the screen.
void place(GtkWidget* window, const Frame& frame);
// The scale GDK applies on the monitor of `window`'s display under `frame`.
int scaleAt(GtkWidget* window, const Frame& frame);
// Lets every click through to the window below; `window` must be realized.
void passClicksThrough(GtkWidget* window);
// The window system's id of `window` ("x11:<xid>", as the X11 backend names windows), or "" when it has
// none yet.
std::string windowId(GtkWidget* window);

} // namespace GTKOverlayWindow

} // namespace quorvane
