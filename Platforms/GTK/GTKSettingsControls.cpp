#include "Platforms/GTK/GTKSettingsControls.h"

#include "Platforms/GTK/GTKHotkeyRecorder.h"
#include "QuorvaneChrome/SlimTitleBar.h"
#include "QuorvaneChrome/StyleSheet.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <algorithm>
#include <charconv>
#include <utility>

namespace quorvane::GTKSettingsControls {

namespace {

// The tones of notes and the status line, in the theme's own colours.
constexpr const char* styleSheet = R"css(
.quorvane-success { color: @success_color; }
.quorvane-failure { color: @error_color; }
)css";
constexpr int wrapWidth = 80;

using Kind = SettingsControl::Kind;

// Connects `handler` to `signal`, handing it `work`, which lives as long as the connection.
template <typename Work, typename Handler>
void connect(GtkWidget* widget, const char* signal, Work work, Handler handler)
{
    g_signal_connect_data(
        widget, signal, G_CALLBACK(handler), new Work(std::move(work)),
        [](gpointer data, GClosure*) { delete static_cast<Work*>(data); }, GConnectFlags(0));
}

using Changed = std::function<void(const std::string&)>;
using Run = std::function<void()>;

void setAccessibleName(GtkWidget* widget, const std::string& name)
{
    if (AtkObject* accessible = gtk_widget_get_accessible(widget))
        atk_object_set_name(accessible, name.c_str());
}

std::string decimal(double value)
{
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

double number(const std::string& text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

SettingsControl shapeOf(SettingsControl control)
{
    control.value.clear();
    control.hint.clear();
    control.enabled = true;
    control.tone = MenuTone::plain;
    if (control.kind == Kind::button)
        control.label.clear();
    // A recorder shows its chord's caps in place.
    if (control.kind == Kind::chord)
        control.cells.clear();
    for (SettingsControl& button : control.buttons)
        button = shapeOf(button);
    return control;
}

GtkWidget* comboEntry(GtkWidget* combo)
{
    return gtk_bin_get_child(GTK_BIN(combo));
}

bool hasChoice(const SettingsControl& control, const std::string& id)
{
    return std::any_of(
        control.choices.begin(), control.choices.end(), [&](const SettingsChoice& choice) { return choice.id == id; });
}

// Enter and leaving the field both accept its text.
void reportAccepted(GtkWidget* entry, const Run& accepted)
{
    connect(
        entry, "activate", accepted, +[](GtkEntry*, Run* run) { (*run)(); });
    connect(
        entry, "focus-out-event", accepted, +[](GtkWidget*, GdkEvent*, Run* run) -> gboolean {
            (*run)();
            return FALSE;
        });
}

} // namespace

void installStyle()
{
    installStyleSheet(styleSheet);
}

void setTone(GtkWidget* widget, MenuTone tone)
{
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    gtk_style_context_remove_class(style, "quorvane-success");
    gtk_style_context_remove_class(style, "quorvane-failure");
    if (tone == MenuTone::success)
        gtk_style_context_add_class(style, "quorvane-success");
    else if (tone == MenuTone::failure)
        gtk_style_context_add_class(style, "quorvane-failure");
}

GtkWidget* label(const std::string& text, bool wrap)
{
    GtkWidget* widget = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(widget), 0);
    if (wrap) {
        gtk_label_set_line_wrap(GTK_LABEL(widget), TRUE);
        // A word longer than the line (a path, an address, a long name) breaks too, rather than widening the window.
        gtk_label_set_line_wrap_mode(GTK_LABEL(widget), PANGO_WRAP_WORD_CHAR);
        gtk_label_set_max_width_chars(GTK_LABEL(widget), wrapWidth);
    }
    return widget;
}

GtkWidget* rowImage(const SettingsControl& row)
{
    if (row.image.empty())
        return nullptr;
    constexpr int edge = 24;
    GtkWidget* image = nullptr;
    if (GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file_at_scale(row.image.c_str(), edge, edge, TRUE, nullptr)) {
        image = gtk_image_new_from_pixbuf(pixbuf);
        g_object_unref(pixbuf);
    } else {
        image = gtk_image_new_from_icon_name("application-x-executable", GTK_ICON_SIZE_LARGE_TOOLBAR);
        gtk_image_set_pixel_size(GTK_IMAGE(image), edge);
    }
    if (AtkObject* accessible = gtk_widget_get_accessible(image); accessible && !row.cells.empty())
        atk_object_set_name(accessible, ("Icon of " + row.cells.front()).c_str());
    return image;
}

GtkWidget* formWindow(const std::string& title, int width, int height, WindowChrome chrome,
    const std::function<void()>& closeRequested)
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), title.c_str());
    gtk_window_set_default_size(GTK_WINDOW(window), width, height);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    gtk_window_set_icon_name(GTK_WINDOW(window), "preferences-system");
    SlimTitleBar::apply(GTK_WINDOW(window), chrome);
    g_signal_connect(window, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer requested) -> gboolean {
        // The owner destroys the window; GTK holds it until this handler returns.
        if (auto& close = *static_cast<const std::function<void()>*>(requested))
            close();
        return TRUE;
    }),
        const_cast<std::function<void()>*>(&closeRequested));
    return window;
}

void presentNow(GtkWidget* window)
{
    guint32 time = GDK_CURRENT_TIME;
#ifdef GDK_WINDOWING_X11
    GdkWindow* surface = gtk_widget_get_window(window);
    if (surface && GDK_IS_X11_WINDOW(surface))
        time = gdk_x11_get_server_time(surface);
#endif
    gtk_window_present_with_time(GTK_WINDOW(window), time);
}

GtkWidget* sectionBox(const SettingsSection& section)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    if (!section.title.empty()) {
        GtkWidget* heading = label("");
        char* markup = g_markup_printf_escaped("<b>%s</b>", section.title.c_str());
        gtk_label_set_markup(GTK_LABEL(heading), markup);
        g_free(markup);
        gtk_box_pack_start(GTK_BOX(box), heading, FALSE, FALSE, 0);
    }
    if (!section.intro.empty())
        gtk_box_pack_start(GTK_BOX(box), hintLabel(section.intro), FALSE, FALSE, 0);
    return box;
}

GtkWidget* controlGrid()
{
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_widget_set_margin_start(grid, 12);
    return grid;
}

GtkWidget* hintLabel(const std::string& text)
{
    GtkWidget* hint = label(text, true);
    gtk_style_context_add_class(gtk_widget_get_style_context(hint), "dim-label");
    return hint;
}

GtkWidget* input(const SettingsControl& control, Reports reports)
{
    GtkWidget* widget = nullptr;
    switch (control.kind) {
    case Kind::toggle:
        widget = gtk_switch_new();
        gtk_switch_set_active(GTK_SWITCH(widget), control.value == "true");
        gtk_widget_set_halign(widget, GTK_ALIGN_START);
        connect(
            widget, "notify::active", reports.changed, +[](GtkSwitch* toggle, GParamSpec*, Changed* changed) {
                (*changed)(gtk_switch_get_active(toggle) ? "true" : "false");
            });
        break;
    case Kind::number:
        widget = gtk_spin_button_new_with_range(control.minimum, control.maximum, control.step);
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(widget), number(control.value));
        gtk_widget_set_halign(widget, GTK_ALIGN_START);
        connect(
            widget, "value-changed", reports.changed,
            +[](GtkSpinButton* spin, Changed* changed) { (*changed)(decimal(gtk_spin_button_get_value(spin))); });
        break;
    case Kind::choice:
        widget = control.editable ? gtk_combo_box_text_new_with_entry() : gtk_combo_box_text_new();
        for (const SettingsChoice& choice : control.choices)
            gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(widget), choice.id.c_str(), choice.label.c_str());
        if (hasChoice(control, control.value))
            gtk_combo_box_set_active_id(GTK_COMBO_BOX(widget), control.value.c_str());
        else if (control.editable)
            gtk_entry_set_text(GTK_ENTRY(comboEntry(widget)), control.value.c_str());
        gtk_widget_set_hexpand(widget, TRUE);
        connect(
            widget, "changed", reports.changed, +[](GtkComboBox* combo, Changed* changed) {
                // Typing into a choice is handed back when accepted, as in a text field.
                if (gtk_combo_box_get_active(combo) < 0)
                    return;
                const char* id = gtk_combo_box_get_active_id(combo);
                (*changed)(id ? id : "");
            });
        if (control.editable) {
            setAccessibleName(
                comboEntry(widget), control.accessibleName.empty() ? control.label : control.accessibleName);
            reportAccepted(comboEntry(widget), reports.accepted);
        }
        break;
    case Kind::text:
        widget = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(widget), control.value.c_str());
        gtk_widget_set_hexpand(widget, TRUE);
        if (control.live)
            connect(
                widget, "changed", reports.changed,
                +[](GtkEntry* entry, Changed* changed) { (*changed)(gtk_entry_get_text(entry)); });
        else
            reportAccepted(widget, reports.accepted);
        break;
    case Kind::button:
        widget = gtk_button_new_with_label(control.label.c_str());
        gtk_widget_set_halign(widget, GTK_ALIGN_START);
        connect(
            widget, "clicked", reports.pressed, +[](GtkButton*, Run* pressed) { (*pressed)(); });
        break;
    case Kind::note:
    case Kind::row:
        widget = label(control.value, true);
        setTone(widget, control.tone);
        break;
    case Kind::chord:
        widget = GTKHotkeyRecorder::make(control, reports.changed);
        break;
    case Kind::busy: {
        widget = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
        GtkWidget* spinner = gtk_spinner_new();
        gtk_spinner_start(GTK_SPINNER(spinner));
        gtk_box_pack_start(GTK_BOX(widget), spinner, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(widget), label(control.value, true), FALSE, FALSE, 0);
        setAccessibleName(spinner, control.value);
        break;
    }
    }
    gtk_widget_set_sensitive(widget, control.enabled);
    // A note without a name of its own is read by its text, which follows each change.
    std::string name = control.accessibleName.empty() ? control.label : control.accessibleName;
    if (!name.empty())
        setAccessibleName(widget, name);
    return widget;
}

void refresh(GtkWidget* input, const SettingsControl& shown, const SettingsControl& wanted, std::string& current)
{
    bool changed = wanted.value != shown.value;
    switch (wanted.kind) {
    case Kind::toggle:
        if (gtk_switch_get_active(GTK_SWITCH(input)) != (wanted.value == "true"))
            gtk_switch_set_active(GTK_SWITCH(input), wanted.value == "true");
        break;
    case Kind::number:
        if (gtk_spin_button_get_value(GTK_SPIN_BUTTON(input)) != number(wanted.value))
            gtk_spin_button_set_value(GTK_SPIN_BUTTON(input), number(wanted.value));
        break;
    case Kind::choice:
        if (hasChoice(wanted, wanted.value)) {
            const char* active = gtk_combo_box_get_active_id(GTK_COMBO_BOX(input));
            if ((!wanted.editable || changed) && (!active || wanted.value != active))
                gtk_combo_box_set_active_id(GTK_COMBO_BOX(input), wanted.value.c_str());
        } else if (wanted.editable && changed) {
            gtk_entry_set_text(GTK_ENTRY(comboEntry(input)), wanted.value.c_str());
        } else if (!wanted.editable) {
            gtk_combo_box_set_active(GTK_COMBO_BOX(input), -1);
        }
        if (changed)
            current = wanted.value;
        break;
    case Kind::text:
        // What the person is typing stays until the application gives the field another value.
        if (changed) {
            gtk_entry_set_text(GTK_ENTRY(input), wanted.value.c_str());
            current = wanted.value;
        }
        break;
    case Kind::button:
        if (wanted.label != shown.label)
            gtk_button_set_label(GTK_BUTTON(input), wanted.label.c_str());
        break;
    case Kind::note:
        if (changed)
            gtk_label_set_text(GTK_LABEL(input), wanted.value.c_str());
        if (wanted.tone != shown.tone)
            setTone(input, wanted.tone);
        break;
    case Kind::chord:
        GTKHotkeyRecorder::refresh(input, wanted);
        break;
    case Kind::row:
    case Kind::busy:
        break;
    }
    if (input && wanted.enabled != shown.enabled)
        gtk_widget_set_sensitive(input, wanted.enabled);
}

std::string enteredText(GtkWidget* input, const SettingsControl& control)
{
    bool choice = control.kind == Kind::choice;
    std::string text = gtk_entry_get_text(GTK_ENTRY(choice ? comboEntry(input) : input));
    for (const SettingsChoice& entry : control.choices) {
        if (choice && entry.label == text)
            return entry.id;
    }
    return text;
}

SettingsSection shapeOf(SettingsSection section)
{
    for (SettingsControl& control : section.controls)
        control = shapeOf(control);
    return section;
}

} // namespace quorvane::GTKSettingsControls
