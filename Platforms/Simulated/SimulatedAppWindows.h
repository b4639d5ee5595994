#pragma once

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Platform/AppWindows.h"

#include <map>
#include <optional>
#include <string>

namespace quorvane {

// The application's windows on the simulated desktop: remembers the settings window's form and page, and
// lets a test act as the person does: edit and press controls by their accessible names, turn pages, close
// the window and type keys into it.
class SimulatedAppWindows : public AppWindows {
public:
    void setSettingsEvents(SettingsEvents events) override { m_events = std::move(events); }
    void showSettings(const SettingsForm& form, const std::string& page) override;
    void updateSettings(const SettingsForm& form) override;
    void closeSettings() override;
    void setKeyMonitor(std::function<bool(const OwnKeyPress&)> monitor) override { m_monitor = std::move(monitor); }
    void closeFrontWindow() override;
    void minimiseFrontWindow() override;
    void showPanel(const std::string& key, const SettingsForm& form, SettingsEvents events) override;
    void updatePanel(const std::string& key, const SettingsForm& form) override;
    void closePanel(const std::string& key) override;
    void setWindowChrome(WindowChrome chrome) override { m_chrome = chrome; }
    void setOnboardingEvents(SettingsEvents events) override { m_onboardingEvents = std::move(events); }
    void showOnboarding(const OnboardingForm& form) override;
    void updateOnboarding(const OnboardingForm& form) override;
    void closeOnboarding() override;

    bool settingsOpen() const { return m_open; }
    const SettingsForm& form() const { return m_form; }
    const std::string& page() const { return m_page; }
    // How often the window was opened or brought forward, and how often an open one took another form.
    int shows() const { return m_shows; }
    int updates() const { return m_updates; }
    bool minimised() const { return m_minimised; }
    // The control (or a row's button) whose accessible name (or, without one, label) is `name`, on any page.
    const SettingsControl* control(const std::string& name) const;
    // Sets the named control to `value` as the person does; false when the window has no such control.
    bool edit(const std::string& name, const std::string& value);
    // Presses the named button; false when there is none or it is not enabled.
    bool press(const std::string& name);
    void choosePage(const std::string& page);
    // The person closes the window.
    void close();
    // A key typed into the window; answers whether the application swallowed it.
    bool type(const OwnKeyPress& key);

    // The panel `key`: whether it is open, what it shows (or showed last), and the person's doing in it, as
    // for the settings window. Closing it by `closePanel` is the person's close as well.
    bool panelOpen(const std::string& key) const;
    SettingsForm panelForm(const std::string& key) const;
    const SettingsControl* panelControl(const std::string& key, const std::string& name) const;
    bool editPanel(const std::string& key, const std::string& name, const std::string& value);
    bool pressPanel(const std::string& key, const std::string& name);
    WindowChrome chrome() const { return m_chrome; }

    // The onboarding panel, as the person sees and works it.
    bool onboardingOpen() const { return m_onboardingOpen; }
    const OnboardingForm& onboarding() const { return m_onboarding; }
    int onboardingShows() const { return m_onboardingShows; }
    // The panel's control or bottom button named `name`, as for the settings window.
    const SettingsControl* onboardingControl(const std::string& name) const;
    bool editOnboarding(const std::string& name, const std::string& value);
    bool pressOnboarding(const std::string& name);
    // The person closes the panel.
    void closeOnboardingByPerson() { closeOnboarding(); }

private:
    struct Panel {
        SettingsForm form;
        SettingsEvents events;
        bool open = false;
    };

    SettingsEvents m_events;
    std::map<std::string, Panel> m_panels;
    SettingsEvents m_onboardingEvents;
    OnboardingForm m_onboarding;
    bool m_onboardingOpen = false;
    int m_onboardingShows = 0;
    WindowChrome m_chrome = WindowChrome::slim;
    std::function<bool(const OwnKeyPress&)> m_monitor;
    SettingsForm m_form;
    std::string m_page;
    bool m_open = false;
    bool m_minimised = false;
    int m_shows = 0;
    int m_updates = 0;
};

} // namespace quorvane
