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

const SettingsControl* find(const SettingsForm& form, const std::string& name)
{
    for (const SettingsPage& page : form.pages) {
        for (const SettingsSection& section : page.sections) {
            if (const SettingsControl* found = find(section.controls, name))
                return found;
        }
    }
    return nullptr;
}

bool pressIn(const SettingsControl* found, const SettingsEvents& events)
{
    if (!found || found->kind != SettingsControl::Kind::button || !found->enabled || !events.pressed)
        return false;
    std::string key = found->key;
    events.pressed(key);
    return true;
}

bool editIn(const SettingsControl* found, const SettingsEvents& events, const std::string& value)
{
    if (!found || !found->enabled || !events.edited)
        return false;
    std::string key = found->key;
    events.edited(key, value);
    return true;
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
    return find(m_form, name);
}

bool SimulatedAppWindows::edit(const std::string& name, const std::string& value)
{
    return editIn(m_open ? control(name) : nullptr, m_events, value);
}

bool SimulatedAppWindows::press(const std::string& name)
{
    return pressIn(m_open ? control(name) : nullptr, m_events);
}

void SimulatedAppWindows::closeFrontWindow()
{
    // The panel opens over the settings window.
    if (m_onboardingOpen)
        closeOnboarding();
    else
        closeSettings();
}

void SimulatedAppWindows::showOnboarding(const OnboardingForm& form)
{
    m_onboarding = form;
    m_onboardingOpen = true;
    ++m_onboardingShows;
}

void SimulatedAppWindows::updateOnboarding(const OnboardingForm& form)
{
    if (m_onboardingOpen)
        m_onboarding = form;
}

void SimulatedAppWindows::closeOnboarding()
{
    if (!m_onboardingOpen)
        return;
    m_onboardingOpen = false;
    if (auto closed = m_onboardingEvents.closed)
        closed();
}

const SettingsControl* SimulatedAppWindows::onboardingControl(const std::string& name) const
{
    if (!m_onboardingOpen)
        return nullptr;
    if (const SettingsControl* button = find(m_onboarding.buttons, name))
        return button;
    for (const SettingsSection& section : m_onboarding.sections) {
        if (const SettingsControl* found = find(section.controls, name))
            return found;
    }
    return nullptr;
}

bool SimulatedAppWindows::editOnboarding(const std::string& name, const std::string& value)
{
    return editIn(onboardingControl(name), m_onboardingEvents, value);
}

bool SimulatedAppWindows::pressOnboarding(const std::string& name)
{
    return pressIn(onboardingControl(name), m_onboardingEvents);
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

void SimulatedAppWindows::showPanel(const std::string& key, const SettingsForm& form, SettingsEvents events)
{
    Panel& panel = m_panels[key];
    panel.form = form;
    panel.events = std::move(events);
    panel.open = true;
}

void SimulatedAppWindows::updatePanel(const std::string& key, const SettingsForm& form)
{
    auto found = m_panels.find(key);
    if (found != m_panels.end() && found->second.open)
        found->second.form = form;
}

void SimulatedAppWindows::closePanel(const std::string& key)
{
    auto found = m_panels.find(key);
    if (found == m_panels.end() || !found->second.open)
        return;
    found->second.open = false;
    if (auto closed = found->second.events.closed)
        closed();
}

bool SimulatedAppWindows::panelOpen(const std::string& key) const
{
    auto found = m_panels.find(key);
    return found != m_panels.end() && found->second.open;
}

SettingsForm SimulatedAppWindows::panelForm(const std::string& key) const
{
    auto found = m_panels.find(key);
    return found == m_panels.end() ? SettingsForm {} : found->second.form;
}

const SettingsControl* SimulatedAppWindows::panelControl(const std::string& key, const std::string& name) const
{
    auto found = m_panels.find(key);
    return found == m_panels.end() || !found->second.open ? nullptr : find(found->second.form, name);
}

bool SimulatedAppWindows::editPanel(const std::string& key, const std::string& name, const std::string& value)
{
    const SettingsControl* found = panelControl(key, name);
    auto edited = m_panels[key].events.edited;
    if (!found || !found->enabled || !edited)
        return false;
    std::string control = found->key;
    edited(control, value);
    return true;
}

bool SimulatedAppWindows::pressPanel(const std::string& key, const std::string& name)
{
    const SettingsControl* found = panelControl(key, name);
    auto pressed = m_panels[key].events.pressed;
    if (!found || found->kind != SettingsControl::Kind::button || !found->enabled || !pressed)
        return false;
    pressed(std::string(found->key));
    return true;
}

} // namespace quorvane
