#pragma once

#include "QuorvaneApp/Platform/AppWindows.h"

#include <map>
#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;
typedef union _GdkEvent GdkEvent;

namespace quorvane {

class GTKOnboardingWindow;
class GTKSettingsWindow;

// The application's own GTK windows: the settings window, the onboarding panel and the other panels, each made
// when it opens and destroyed when it closes,
// and a monitor that sees every key pressed in any of the application's windows before GTK does. GTK must
// be initialised (GTKOverlayPanels::start) before one is made; one at a time. Main thread only.
class GTKAppWindows : public AppWindows {
public:
    GTKAppWindows();
    ~GTKAppWindows() override;
    GTKAppWindows(const GTKAppWindows&) = delete;
    GTKAppWindows& operator=(const GTKAppWindows&) = delete;

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

private:
    // Every event of the application's windows passes here on its way to GTK.
    static void dispatch(GdkEvent* event, void* self);
    // Whether the key event is one the monitor swallows.
    bool monitorKey(GdkEvent* event);
    // The ordinary window the person works in: the one a key just came to, else the active one, else (when
    // `anyShown`) the first one shown.
    GtkWidget* frontWindow(bool anyShown) const;

    struct Panel {
        // Kept in place while its window lives: the window holds it by reference.
        SettingsEvents events;
        std::unique_ptr<GTKSettingsWindow> window;
    };

    SettingsEvents m_events;
    SettingsEvents m_onboardingEvents;
    WindowChrome m_chrome;
    std::unique_ptr<GTKOnboardingWindow> m_onboarding;
    std::function<bool(const OwnKeyPress&)> m_monitor;
    std::unique_ptr<GTKSettingsWindow> m_settings;
    std::map<std::string, Panel> m_panels;
    // The window of the key being monitored, while the monitor runs.
    GtkWidget* m_keyWindow = nullptr;
};

} // namespace quorvane
