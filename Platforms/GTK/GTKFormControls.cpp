#include "Platforms/GTK/GTKFormControls.h"

#include "Platforms/GTK/GTKSettingsControls.h"

#include <gtk/gtk.h>

namespace quorvane {

GTKFormControls::GTKFormControls(const SettingsEvents& events)
    : m_events(events)
{
}

GtkWidget* GTKFormControls::add(const SettingsControl& control)
{
    std::string key = control.key;
    GtkWidget* input = GTKSettingsControls::input(control,
        GTKSettingsControls::Reports {
            [this, key](const std::string& value) { edited(key, value); },
            [this, key] { commitText(key); },
            [this, key] { pressed(key); },
        });
    m_controls.insert_or_assign(key, Control { control, input, nullptr, control.value });
    return input;
}

void GTKFormControls::refresh(const SettingsControl& wanted)
{
    Control& control = m_controls.at(wanted.key);
    GTKSettingsControls::refresh(control.input, control.shown, wanted, control.current);
    if (control.hint && wanted.hint != control.shown.hint) {
        gtk_label_set_text(GTK_LABEL(control.hint), wanted.hint.c_str());
        gtk_widget_set_visible(control.hint, !wanted.hint.empty());
    }
    control.shown = wanted;
}

void GTKFormControls::forget(const std::vector<std::string>& keys)
{
    for (const std::string& key : keys)
        m_controls.erase(key);
}

void GTKFormControls::commitText(const std::string& key)
{
    auto found = m_controls.find(key);
    if (m_updating || found == m_controls.end())
        return;
    std::string text = GTKSettingsControls::enteredText(found->second.input, found->second.shown);
    if (text != found->second.current)
        edited(key, text);
}

void GTKFormControls::edited(const std::string& key, const std::string& value)
{
    if (m_updating)
        return;
    if (auto found = m_controls.find(key); found != m_controls.end())
        found->second.current = value;
    // Copied: the handler may change the events.
    if (auto handler = m_events.edited)
        handler(key, value);
}

void GTKFormControls::pressed(const std::string& key)
{
    if (m_updating)
        return;
    // A press that turns a page or step may destroy the pressed button while its signal runs: GTK holds the
    // button, and the copied handler lives, until the emission ends.
    if (auto handler = m_events.pressed)
        handler(key);
}

} // namespace quorvane
