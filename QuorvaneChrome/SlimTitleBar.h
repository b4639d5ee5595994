#pragma once

typedef struct _GtkWindow GtkWindow;

namespace quorvane {

enum class WindowChrome;

// How a GTK window is framed. `slim`: a compact header bar drawn in the window (its title, then minimise,
// maximise and close; dragged to move, double-clicked to maximise), so the window manager draws no frame
// of its own; `standard`: the window manager's decorations. Call before the window is first shown.
namespace SlimTitleBar {

void apply(GtkWindow* window, WindowChrome chrome);

// The style class of the slim bar, for tests and themes.
inline constexpr const char* styleClass = "quorvane-slim-titlebar";

} // namespace SlimTitleBar

} // namespace quorvane
