#include "Platforms/GTK/GTKAppWindows.h"

#include "Platforms/GTK/GTKHotkeyRecorder.h"
#include "Configuration/QuorvaneConfig.h"
#include "Platforms/GTK/GTKOnboardingWindow.h"
#include "Platforms/GTK/GTKSettingsWindow.h"

#include <gtk/gtk.h>
#include <gtk/gtkx.h>
#include <malloc.h>

namespace quorvane {

namespace {

// Destroys an open window rather than hiding it, and hands the heap's free pages back, so that a closed window
// holds no memory; then tells its owner. `closed` is a copy: the owner may open the window again from it.
template <typename Window> void closeAndTell(std::unique_ptr<Window>& window, std::function<void()> closed)
{
    if (!window)
        return;
    window.reset();
    malloc_trim(0);
    if (closed)
        closed();
}

// The modifiers that count, as the application names them: Alt is opt and the Super key cmd; Caps Lock and
// Num Lock do not count.
std::set<HotkeyModifier> modifiersOf(guint state)
{
    std::set<HotkeyModifier> modifiers;
    if (state & GDK_CONTROL_MASK)
        modifiers.insert(HotkeyModifier::ctrl);
    if (state & GDK_MOD1_MASK)
        modifiers.insert(HotkeyModifier::opt);
    if (state & GDK_SHIFT_MASK)
        modifiers.insert(HotkeyModifier::shift);
    if (state & (GDK_SUPER_MASK | GDK_META_MASK | GDK_HYPER_MASK | GDK_MOD4_MASK))
        modifiers.insert(HotkeyModifier::cmd);
    return modifiers;
}

std::string characterOf(guint keyval)
{
    gunichar character = gdk_keyval_to_unicode(gdk_keyval_to_lower(keyval));
    if (!character)
        return "";
    char text[8] = {};
    g_unichar_to_utf8(character, text);
    return text;
}

// The key's own character whatever the modifiers, read in the first keyboard group when the event's group
// types no Latin letter (so ctrl+q works on a Cyrillic layout too).
std::string keyCharacter(const GdkEventKey& key)
{
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(key.window));
    guint keyval = 0;
    std::string text;
    if (gdk_keymap_translate_keyboard_state(
            keymap, key.hardware_keycode, GdkModifierType(0), key.group, &keyval, nullptr, nullptr, nullptr))
        text = characterOf(keyval);
    if ((text.size() != 1 || static_cast<unsigned char>(text[0]) >= 0x80)
        && gdk_keymap_translate_keyboard_state(
            keymap, key.hardware_keycode, GdkModifierType(0), 0, &keyval, nullptr, nullptr, nullptr))
        text = characterOf(keyval);
    return text;
}

// An ordinary window of the application: not an overlay panel or menu (popups), not the tray's embedded icon.
bool ordinary(GtkWidget* widget)
{
    return GTK_IS_WINDOW(widget) && gtk_window_get_window_type(GTK_WINDOW(widget)) == GTK_WINDOW_TOPLEVEL
        && !GTK_IS_PLUG(widget) && gtk_widget_get_visible(widget);
}

} // namespace

GTKAppWindows::GTKAppWindows()
    : m_chrome(WindowChrome::slim)
{
    gdk_event_handler_set(dispatch, this, nullptr);
}

GTKAppWindows::~GTKAppWindows()
{
    gdk_event_handler_set([](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr, nullptr);
    m_onboarding.reset();
    m_settings.reset();
    m_panels.clear();
}

void GTKAppWindows::dispatch(GdkEvent* event, void* self)
{
    auto* windows = static_cast<GTKAppWindows*>(self);
    if (event->type == GDK_KEY_PRESS && windows->monitorKey(event))
        return;
    gtk_main_do_event(event);
}

bool GTKAppWindows::monitorKey(GdkEvent* event)
{
    // A chord being recorded is the person's to choose, the application's own keys included.
    if (!m_monitor || GTKHotkeyRecorder::recording())
        return false;
    const GdkEventKey& key = event->key;
    OwnKeyPress press { modifiersOf(key.state), keyCharacter(key) };
    GtkWidget* target = gtk_get_event_widget(event);
    m_keyWindow = target ? gtk_widget_get_toplevel(target) : nullptr;
    // Copied: the monitor may replace itself.
    auto monitor = m_monitor;
    bool swallowed = monitor(press);
    m_keyWindow = nullptr;
    return swallowed;
}

void GTKAppWindows::showSettings(const SettingsForm& form, const std::string& page)
{
    if (m_settings) {
        m_settings->update(form);
        m_settings->present(page);
        return;
    }
    m_settings = std::make_unique<GTKSettingsWindow>(form, page, m_chrome, m_events, [this] { closeSettings(); });
}

void GTKAppWindows::updateSettings(const SettingsForm& form)
{
    if (m_settings)
        m_settings->update(form);
}

void GTKAppWindows::closeSettings()
{
    closeAndTell(m_settings, m_events.closed);
}

void GTKAppWindows::showOnboarding(const OnboardingForm& form)
{
    if (m_onboarding) {
        m_onboarding->update(form);
        m_onboarding->present();
        return;
    }
    m_onboarding
        = std::make_unique<GTKOnboardingWindow>(form, m_chrome, m_onboardingEvents, [this] { closeOnboarding(); });
}

void GTKAppWindows::updateOnboarding(const OnboardingForm& form)
{
    if (m_onboarding)
        m_onboarding->update(form);
}

void GTKAppWindows::closeOnboarding()
{
    closeAndTell(m_onboarding, m_onboardingEvents.closed);
}

GtkWidget* GTKAppWindows::frontWindow(bool anyShown) const
{
    if (m_keyWindow && ordinary(m_keyWindow))
        return m_keyWindow;
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* active = nullptr;
    GtkWidget* first = nullptr;
    for (GList* item = windows; item; item = item->next) {
        GtkWidget* widget = GTK_WIDGET(item->data);
        if (!ordinary(widget))
            continue;
        if (!first)
            first = widget;
        if (!active && gtk_window_is_active(GTK_WINDOW(widget)))
            active = widget;
    }
    g_list_free(windows);
    return active ? active : anyShown ? first : nullptr;
}

void GTKAppWindows::showPanel(const std::string& key, const SettingsForm& form, SettingsEvents events)
{
    Panel& panel = m_panels[key];
    panel.events = std::move(events);
    if (panel.window) {
        panel.window->update(form);
        panel.window->present(form.pages.empty() ? "" : form.pages.front().key);
        return;
    }
    panel.window = std::make_unique<GTKSettingsWindow>(
        form, form.pages.empty() ? "" : form.pages.front().key, m_chrome, panel.events, [this, key] { closePanel(key); });
}

void GTKAppWindows::updatePanel(const std::string& key, const SettingsForm& form)
{
    auto found = m_panels.find(key);
    if (found != m_panels.end() && found->second.window)
        found->second.window->update(form);
}

void GTKAppWindows::closePanel(const std::string& key)
{
    auto found = m_panels.find(key);
    if (found != m_panels.end())
        closeAndTell(found->second.window, found->second.events.closed);
}

void GTKAppWindows::closeFrontWindow()
{
    GtkWidget* window = frontWindow(true);
    for (auto& [key, panel] : m_panels) {
        if (panel.window && window == panel.window->window()) {
            closePanel(key);
            return;
        }
    }
    if (m_settings && window == m_settings->window())
        closeSettings();
    else if (m_onboarding && window == m_onboarding->window())
        closeOnboarding();
    else if (window)
        // As the window's own close button does: each window answers its delete event.
        gtk_window_close(GTK_WINDOW(window));
}

void GTKAppWindows::minimiseFrontWindow()
{
    if (GtkWidget* window = frontWindow(false))
        gtk_window_iconify(GTK_WINDOW(window));
}

} // namespace quorvane
