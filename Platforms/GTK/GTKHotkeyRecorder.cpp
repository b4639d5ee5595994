#include "Platforms/GTK/GTKHotkeyRecorder.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <map>
#include <string_view>

namespace quorvane::GTKHotkeyRecorder {

namespace {

constexpr guint recordingLimit = 5000;
// How often a recorder on X looks whether another window has taken the focus.
constexpr guint focusCheckInterval = 100;
constexpr const char* unsetText = "Not set";

int recorders = 0;

// One recorder's state, owned by its button.
struct Recorder {
    GtkWidget* button = nullptr;
    GtkWidget* caps = nullptr;
    std::function<void(const std::string&)> recorded;
    std::vector<std::string> cells;
    GdkSeat* seat = nullptr;
    guint timer = 0;
    guint focusCheck = 0;
    // The window manager's active window when last looked at, on X.
    unsigned long activeWindow = 0;
    bool active = false;
};

Recorder* recorderOf(GtkWidget* button)
{
    return static_cast<Recorder*>(g_object_get_data(G_OBJECT(button), "quorvane-recorder"));
}

void showCaps(Recorder& recorder, const std::vector<std::string>& cells, const char* instead)
{
    // A screen reader hears what the caps show: the prompt while recording, else the chord.
    std::string said = instead ? instead : "";
    for (const std::string& cell : instead ? std::vector<std::string> {} : cells)
        said += (said.empty() ? "" : " ") + cell;
    if (AtkObject* accessible = gtk_widget_get_accessible(recorder.button))
        atk_object_set_description(accessible, said.empty() ? unsetText : said.c_str());
    GList* children = gtk_container_get_children(GTK_CONTAINER(recorder.caps));
    for (GList* child = children; child; child = child->next)
        gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(children);
    if (cells.empty() || instead) {
        GtkWidget* text = gtk_label_new(instead ? instead : unsetText);
        gtk_style_context_add_class(gtk_widget_get_style_context(text), "dim-label");
        gtk_box_pack_start(GTK_BOX(recorder.caps), text, FALSE, FALSE, 0);
    } else {
        for (const std::string& cell : cells) {
            GtkWidget* cap = gtk_label_new(cell.c_str());
            gtk_style_context_add_class(gtk_widget_get_style_context(cap), "keycap");
            gtk_box_pack_start(GTK_BOX(recorder.caps), cap, FALSE, FALSE, 0);
        }
    }
    gtk_widget_show_all(recorder.caps);
}

// The window manager's active window on X, or none (0) elsewhere or when it names none.
unsigned long activeWindowOf(GtkWidget* widget)
{
#ifdef GDK_WINDOWING_X11
    GdkScreen* screen = gtk_widget_get_screen(widget);
    if (!GDK_IS_X11_SCREEN(screen))
        return 0;
    // Deprecated for reading a hint not every window manager keeps; here the hint is exactly what is wanted.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GdkWindow* active = gdk_screen_get_active_window(screen);
    G_GNUC_END_IGNORE_DEPRECATIONS
    if (!active)
        return 0;
    unsigned long id = gdk_x11_window_get_xid(active);
    g_object_unref(active);
    return id;
#else
    (void)widget;
    return 0;
#endif
}

unsigned long windowIdOf(GdkWindow* window)
{
#ifdef GDK_WINDOWING_X11
    if (GDK_IS_X11_WINDOW(window))
        return gdk_x11_window_get_xid(window);
#endif
    (void)window;
    return 0;
}

void stop(Recorder& recorder)
{
    if (!recorder.active)
        return;
    recorder.active = false;
    --recorders;
    for (guint* source : { &recorder.timer, &recorder.focusCheck }) {
        if (*source)
            g_source_remove(*source);
        *source = 0;
    }
    if (recorder.seat)
        gdk_seat_ungrab(recorder.seat);
    recorder.seat = nullptr;
    showCaps(recorder, recorder.cells, nullptr);
}

void start(Recorder& recorder)
{
    if (recorder.active)
        return;
    GtkWidget* toplevel = gtk_widget_get_toplevel(recorder.button);
    GdkWindow* window = gtk_widget_get_window(toplevel);
    if (!window)
        return;
    gtk_widget_grab_focus(recorder.button);
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
    // Owner events: the keys still come to the focused widget, this button, through the window.
    if (gdk_seat_grab(seat, window, GDK_SEAT_CAPABILITY_KEYBOARD, TRUE, nullptr, nullptr, nullptr, nullptr)
        != GDK_GRAB_SUCCESS)
        return;
    recorder.seat = seat;
    recorder.active = true;
    ++recorders;
    showCaps(recorder, {}, recordingText);
    recorder.timer = g_timeout_add(
        recordingLimit,
        [](gpointer data) -> gboolean {
            auto* self = static_cast<Recorder*>(data);
            self->timer = 0;
            stop(*self);
            return G_SOURCE_REMOVE;
        },
        &recorder);
    // While the keyboard is grabbed, X reports the focus moving away as a change "while grabbed", which GDK does
    // not pass on as losing the focus; the window manager's active window shows it instead. Without this the
    // chord typed for the other window would be recorded.
    recorder.activeWindow = activeWindowOf(recorder.button);
    if (recorder.activeWindow) {
        recorder.focusCheck = g_timeout_add(
            focusCheckInterval,
            [](gpointer data) -> gboolean {
                auto* self = static_cast<Recorder*>(data);
                GtkWidget* toplevel = gtk_widget_get_toplevel(self->button);
                unsigned long active = activeWindowOf(self->button);
                bool away
                    = active && active != self->activeWindow && active != windowIdOf(gtk_widget_get_window(toplevel));
                self->activeWindow = active;
                if (!away)
                    return G_SOURCE_CONTINUE;
                self->focusCheck = 0;
                stop(*self);
                return G_SOURCE_REMOVE;
            },
            &recorder);
    }
}

gboolean keyPressed(GtkWidget* button, GdkEventKey* event, gpointer)
{
    Recorder* recorder = recorderOf(button);
    if (!recorder || !recorder->active)
        return FALSE;
    if (event->is_modifier)
        return TRUE;
    // The key's own keysym, whatever shift or the layout's level make of it.
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
    guint keyval = event->keyval;
    gdk_keymap_translate_keyboard_state(
        keymap, event->hardware_keycode, GdkModifierType(0), event->group, &keyval, nullptr, nullptr, nullptr);
    guint modifiers = event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SHIFT_MASK | GDK_SUPER_MASK);
    if (keyval == GDK_KEY_Escape && !modifiers) {
        stop(*recorder);
        return TRUE;
    }
    std::string text = keyval == GDK_KEY_BackSpace && !modifiers ? "" : chordText(event->state, keyval);
    // Copied: the answer may change or remove the recorder.
    auto recorded = recorder->recorded;
    stop(*recorder);
    if (recorded)
        recorded(text);
    return TRUE;
}

const std::map<guint, std::string_view>& namedKeys()
{
    static const std::map<guint, std::string_view> keys {
        { GDK_KEY_space, "space" }, { GDK_KEY_Return, "return" }, { GDK_KEY_KP_Enter, "return" },
        { GDK_KEY_Escape, "escape" }, { GDK_KEY_Tab, "tab" }, { GDK_KEY_ISO_Left_Tab, "tab" },
        { GDK_KEY_Left, "left" }, { GDK_KEY_Right, "right" }, { GDK_KEY_Down, "down" }, { GDK_KEY_Up, "up" },
        { GDK_KEY_BackSpace, "delete" }, { GDK_KEY_Delete, "forwarddelete" }, { GDK_KEY_Home, "home" },
        { GDK_KEY_End, "end" }, { GDK_KEY_Page_Up, "pageup" }, { GDK_KEY_Page_Down, "pagedown" },
        { GDK_KEY_Caps_Lock, "caps" }, { GDK_KEY_minus, "minus" }, { GDK_KEY_equal, "equal" },
        { GDK_KEY_comma, "comma" }, { GDK_KEY_period, "period" }, { GDK_KEY_slash, "slash" },
        { GDK_KEY_semicolon, "semicolon" }, { GDK_KEY_apostrophe, "quote" }, { GDK_KEY_backslash, "backslash" },
        { GDK_KEY_grave, "grave" }, { GDK_KEY_bracketleft, "leftbracket" }, { GDK_KEY_bracketright, "rightbracket" },
    };
    return keys;
}

} // namespace

std::string chordText(unsigned state, unsigned keyval)
{
    std::string key;
    if (auto named = namedKeys().find(keyval); named != namedKeys().end()) {
        key = named->second;
    } else if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F20) {
        key = "f" + std::to_string(keyval - GDK_KEY_F1 + 1);
    } else if (gunichar character = gdk_keyval_to_unicode(gdk_keyval_to_lower(keyval));
               character && g_unichar_isalnum(character)) {
        char text[8] = {};
        g_unichar_to_utf8(character, text);
        key = text;
    } else if (const char* name = gdk_keyval_name(keyval)) {
        // Named as the key is, so that the grammar can say it is no key Quorvane binds.
        gchar* lower = g_utf8_strdown(name, -1);
        key = lower;
        g_free(lower);
    }
    if (key.empty())
        return "";
    std::string text;
    if (state & GDK_CONTROL_MASK)
        text += "ctrl+";
    if (state & GDK_MOD1_MASK)
        text += "opt+";
    if (state & GDK_SHIFT_MASK)
        text += "shift+";
    if (state & GDK_SUPER_MASK)
        text += "cmd+";
    return text + key;
}

GtkWidget* make(const SettingsControl& control, std::function<void(const std::string&)> recorded)
{
    GtkWidget* button = gtk_button_new();
    auto* recorder = new Recorder { button, gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4), std::move(recorded),
        control.cells, nullptr, 0, false };
    gtk_container_add(GTK_CONTAINER(button), recorder->caps);
    gtk_widget_set_halign(button, GTK_ALIGN_START);
    showCaps(*recorder, recorder->cells, nullptr);
    g_object_set_data_full(G_OBJECT(button), "quorvane-recorder", recorder, [](gpointer data) {
        auto* self = static_cast<Recorder*>(data);
        stop(*self);
        delete self;
    });
    g_signal_connect(button, "clicked", G_CALLBACK(+[](GtkButton* pressed, gpointer) {
        if (Recorder* self = recorderOf(GTK_WIDGET(pressed)))
            start(*self);
    }),
        nullptr);
    g_signal_connect(button, "key-press-event", G_CALLBACK(keyPressed), nullptr);
    g_signal_connect(button, "focus-out-event", G_CALLBACK(+[](GtkWidget* widget, GdkEvent*, gpointer) -> gboolean {
        if (Recorder* self = recorderOf(widget))
            stop(*self);
        return FALSE;
    }),
        nullptr);
    g_signal_connect(button, "unmap", G_CALLBACK(+[](GtkWidget* widget, gpointer) {
        if (Recorder* self = recorderOf(widget))
            stop(*self);
    }),
        nullptr);
    return button;
}

void refresh(GtkWidget* widget, const SettingsControl& wanted)
{
    Recorder* recorder = recorderOf(widget);
    if (!recorder || recorder->cells == wanted.cells)
        return;
    recorder->cells = wanted.cells;
    if (!recorder->active)
        showCaps(*recorder, recorder->cells, nullptr);
}

bool recording()
{
    return recorders > 0;
}

} // namespace quorvane::GTKHotkeyRecorder
