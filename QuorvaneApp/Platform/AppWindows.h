#pragma once

#include "Hotkeys/HotkeyModifier.h"
#include "QuorvaneApp/Platform/OnboardingForm.h"
#include "QuorvaneApp/Platform/SettingsForm.h"

#include <functional>
#include <set>
#include <string>

namespace quorvane {

// What the person does in the settings window.
struct SettingsEvents {
    // A control's value changed: a toggle flipped, a number or a choice set, a text accepted (or typed, for a
    // live one). Not called for changes the application made itself.
    std::function<void(const std::string& key, const std::string& value)> edited;
    // A button, or a row's button, was pressed.
    std::function<void(const std::string& key)> pressed;
    // The person turned to another page.
    std::function<void(const std::string& page)> pageChosen;
    // The window was closed, by the person or by `closeFrontWindow`.
    std::function<void()> closed;
};

// A key pressed in one of the application's own windows: exactly the modifiers held (caps lock left out),
// and the lower-case character of the key itself ("," for ctrl+comma), empty when it types none.
struct OwnKeyPress {
    std::set<HotkeyModifier> modifiers;
    std::string character;

    friend bool operator==(const OwnKeyPress&, const OwnKeyPress&) = default;
};

enum class WindowChrome;

// The application's own ordinary windows, as opposed to its overlay panels: the settings window, the
// onboarding panel, and the keys typed into any of its windows. Main thread only.
class AppWindows {
public:
    virtual ~AppWindows() = default;

    virtual void setSettingsEvents(SettingsEvents) = 0;
    // Opens the settings window showing `form` on `page`; an open one takes the form, turns to `page` and
    // comes forward.
    virtual void showSettings(const SettingsForm& form, const std::string& page) = 0;
    // Brings the open window in line with `form`; text the person is typing stays unless its value changed.
    // Nothing when the window is closed.
    virtual void updateSettings(const SettingsForm& form) = 0;
    // Closes the settings window (reported as `closed`); nothing when it is closed.
    virtual void closeSettings() = 0;
    // `monitor` sees every key pressed in the application's own windows first; a key it answers true for
    // goes no further.
    virtual void setKeyMonitor(std::function<bool(const OwnKeyPress&)> monitor) = 0;
    // Closes the window that has the keyboard, else the one active last, else the first one shown; nothing
    // when none is open. Never ends the application.
    virtual void closeFrontWindow() = 0;
    // Minimises the window that has the keyboard, else the one active last; nothing when there is none.
    virtual void minimiseFrontWindow() = 0;

    // Panels: small windows drawn from a form as the settings window is (one page, its tab not shown), each
    // known by its key ("new-app"). Opens the panel with `form`, or gives the open one the form and brings
    // it forward; what the person does in it goes to `events`.
    virtual void showPanel(const std::string& key, const SettingsForm& form, SettingsEvents events) = 0;
    // Brings the open panel in line with `form`; nothing when it is closed.
    virtual void updatePanel(const std::string& key, const SettingsForm& form) = 0;
    // Closes the panel (reported as its `closed`); nothing when it is closed.
    virtual void closePanel(const std::string& key) = 0;
    // How the windows opened from now on are framed (open ones keep theirs): `slim`, a compact header bar the
    // application draws (title, minimise, maximise, close; dragged to move, double-clicked to maximise), or
    // `standard`, the window manager's own decorations.
    virtual void setWindowChrome(WindowChrome) = 0;
    // The onboarding panel's controls and buttons report here (`pageChosen` is never called).
    virtual void setOnboardingEvents(SettingsEvents) = 0;
    // Opens the onboarding panel centred on the main display showing `form`; an open one takes the form and
    // comes forward.
    virtual void showOnboarding(const OnboardingForm& form) = 0;
    // Brings the open panel in line with `form`; nothing when it is closed.
    virtual void updateOnboarding(const OnboardingForm& form) = 0;
    // Closes the panel (reported as `closed`); nothing when it is closed.
    virtual void closeOnboarding() = 0;
};

} // namespace quorvane
