#pragma once

#include "QuorvaneApp/Platform/OverlayPanels.h"

#include <functional>

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The widget trees the overlay panels show, built from the application's texts; the look is the overlay's
// style sheet.
namespace GTKPanelViews {

// The content of the panel of `kind`: the cheat sheet, the one-line notice, or the two-line toast.
// `pressed` runs when the content's button (the cheat sheet's) is clicked.
GtkWidget* build(PanelKind kind, const PanelContent& content, std::function<void()> pressed);

} // namespace GTKPanelViews

} // namespace quorvane
