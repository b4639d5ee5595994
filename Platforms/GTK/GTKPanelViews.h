#pragma once

#include "QuorvaneApp/Platform/OverlayPanels.h"

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The widget trees the overlay panels show, built from the application's texts; the look is the overlay's
// style sheet.
namespace GTKPanelViews {

// The content of the panel of `kind`: the cheat sheet, the one-line notice, or the two-line toast.
GtkWidget* build(PanelKind kind, const PanelContent& content);

} // namespace GTKPanelViews

} // namespace quorvane
