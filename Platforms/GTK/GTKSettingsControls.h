#pragma once

#include "QuorvaneApp/Platform/SettingsForm.h"

#include <functional>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

enum class WindowChrome;

// The widgets of the settings window's controls, in the desktop's theme: a switch, a spin button, a combo
// box (with an entry when text may be typed), an entry, a button or a wrapped label, each with its
// accessible name; and the changes the application makes to them in place.
namespace GTKSettingsControls {

// What a control's widget reports of the person's doing.
struct Reports {
    // The value changed: a switch flipped, a number or an entry of a choice set, a live text typed.
    std::function<void(const std::string& value)> changed;
    // The text of a field or a typed choice was accepted (Enter) or left.
    std::function<void()> accepted;
    std::function<void()> pressed;
};

// Adds the tones' style sheet to the default screen once.
void installStyle();
// Shows a note or the status line in its tone, in the theme's colours.
void setTone(GtkWidget* widget, MenuTone tone);
// A left-aligned label; `wrap`ped ones break their lines.
GtkWidget* label(const std::string& text, bool wrap = false);
// A form's top-level window: titled, centred, in `chrome`. Closing it calls `closeRequested` (which must outlive
// the window) and leaves the destroying to its owner.
GtkWidget* formWindow(const std::string& title, int width, int height, WindowChrome chrome,
    const std::function<void()>& closeRequested);
// Presents `window` with the server's time now: asked for from the tray, a panel or at start, a window comes
// with no event of its own, and that time stands for the person's request so that the window manager lets it
// take the focus.
void presentNow(GtkWidget* window);
// A section's column with its bold title (when it has one) and its dimmed introduction packed in.
GtkWidget* sectionBox(const SettingsSection& section);
// The grid a section lays its controls out in: captions in the first column, inputs and hints in the second.
GtkWidget* controlGrid();
// A control's hint, dimmed under its input.
GtkWidget* hintLabel(const std::string& text);
// A row's picture, named after its first cell for screen readers; a generic application icon when its file
// cannot be read; none when the row has no image.
GtkWidget* rowImage(const SettingsControl& row);
// The widget of a control other than a row.
GtkWidget* input(const SettingsControl& control, Reports reports);
// Brings the widget of `shown` in line with `wanted` without reporting it; the text of a field (and
// `current`, the text last given or handed back) changes only when the application's value did.
void refresh(GtkWidget* input, const SettingsControl& shown, const SettingsControl& wanted, std::string& current);
// The text a field or a typed choice holds now, a choice's label read as its id.
std::string enteredText(GtkWidget* input, const SettingsControl& control);
// The section without what changes in place (values, hints, sensitivity, tones, buttons' labels): sections
// of the same shape keep their widgets.
SettingsSection shapeOf(SettingsSection section);

} // namespace GTKSettingsControls

} // namespace quorvane
