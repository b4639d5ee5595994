#include "Platforms/Simulated/SimulatedAppWindows.h"

namespace quorvane {

namespace {

const SettingsControl* find(const std::vector<SettingsControl>& controls, const std::string& name)
{
    for (const SettingsControl& control : controls) {
        if ((control.accessibleName.empty() ? control.label : control.accessibleName) == name)
            return &control;
        if (const SettingsControl* button = find(control.buttons, name))
            return button;
    }
    return nullptr;
}

} // namespace

void SimulatedAppWindows::showSettings(const SettingsForm& form, const std::string& page)
{
    m_form = form;
    m_page = page;
    m_open = true;
    m_minimised = false;
    ++m_shows;
}

void SimulatedAppWindows::updateSettings(const SettingsForm& form)
{
    if (!m_open)
        return;
    m_form = form;
    ++m_updates;
}

void SimulatedAppWindows::closeSettings()
{
    if (!m_open)
        return;
    m_open = false;
    if (auto closed = m_events.closed)
        closed();
}

void SimulatedAppWindows::minimiseFrontWindow()
{
    if (m_open)
        m_minimised = true;
}

const SettingsControl* SimulatedAppWindows::control(const std::string& name) const
{
    for (const SettingsPage& page : m_form.pages) {
        for (const SettingsSection& section : page.sections) {
            if (const SettingsControl* found = find(section.controls, name))
                return found;
        }
    }
    return nullptr;
}

bool SimulatedAppWindows::edit(const std::string& name, const std::string& value)
{
    const SettingsControl* found = m_open ? control(name) : nullptr;
    if (!found || !found->enabled || !m_events.edited)
        return false;
    std::string key = found->key;
    m_events.edited(key, value);
    return true;
}

bool SimulatedAppWindows::press(const std::string& name)
{
    const SettingsControl* found = m_open ? control(name) : nullptr;
    if (!found || found->kind != SettingsControl::Kind::button || !found->enabled || !m_events.pressed)
        return false;
    std::string key = found->key;
    m_events.pressed(key);
    return true;
}

void SimulatedAppWindows::choosePage(const std::string& page)
{
    m_page = page;
    if (m_events.pageChosen)
        m_events.pageChosen(page);
}

void SimulatedAppWindows::close()
{
    closeSettings();
}

bool SimulatedAppWindows::type(const OwnKeyPress& key)
{
    return m_monitor && m_monitor(key);
}

} // namespace quorvane
