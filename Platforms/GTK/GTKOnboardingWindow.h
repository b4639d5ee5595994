#pragma once

#include "Platforms/GTK/GTKFormControls.h"
#include "Platforms/GTK/GTKSettingsControls.h"
#include "QuorvaneApp/Platform/AppWindows.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// The onboarding panel drawn with GTK 3 in the desktop's theme: the eyebrow, the heading and a sentence,
// the welcome step's chords as key caps, the step's controls, a status line and the buttons along the
// bottom. The panel opens centred on the main display. Changes the person makes go to `events`; the
// application's own are applied in place and not reported back. Main thread only.
class GTKOnboardingWindow {
public:
    // `events` must outlive the window; `closeRequested` runs when the person asks the window to close.
    GTKOnboardingWindow(const OnboardingForm& form, WindowChrome chrome, const SettingsEvents& events,
        std::function<void()> closeRequested);
    ~GTKOnboardingWindow();
    GTKOnboardingWindow(const GTKOnboardingWindow&) = delete;
    GTKOnboardingWindow& operator=(const GTKOnboardingWindow&) = delete;

    void present();
    void update(const OnboardingForm& form);
    GtkWidget* window() const { return m_window; }

private:
    struct Chord {
        std::vector<GtkWidget*> caps;
        GtkWidget* row = nullptr;
        GtkWidget* action = nullptr;
    };

    // The parts of a form whose change needs new widgets: the step, its controls' kinds and keys, its chords.
    static OnboardingForm shapeOf(OnboardingForm form);
    void build(const OnboardingForm& form);
    GtkWidget* buildChords(const std::vector<OnboardingChord>& chords);
    GtkWidget* buildSection(const SettingsSection& section);
    GtkWidget* buildRow(const SettingsControl& control);
    void refreshTexts(const OnboardingForm& form);
    void refreshChord(const OnboardingChord& wanted);

    GTKFormControls m_controls;
    std::function<void()> m_closeRequested;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_eyebrow = nullptr;
    GtkWidget* m_heading = nullptr;
    GtkWidget* m_intro = nullptr;
    GtkWidget* m_body = nullptr;
    GtkWidget* m_scroller = nullptr;
    GtkWidget* m_pressedNote = nullptr;
    GtkWidget* m_status = nullptr;
    GtkWidget* m_buttons = nullptr;
    OnboardingForm m_shape;
    std::map<std::string, Chord> m_chords;
};

} // namespace quorvane
