#pragma once

#include "QuorvaneApp/Platform/SettingsForm.h"

#include <string>
#include <vector>

namespace quorvane {

// One chord of the welcome step, drawn as key caps beside what it does.
struct OnboardingChord {
    // The chord's canonical text, which stays the same across updates.
    std::string id;
    // The caps from left to right ("Ctrl", "Alt", "←").
    std::vector<std::string> caps;
    std::string action;
    // Pressed just now: its caps light up.
    bool lit = false;

    friend bool operator==(const OnboardingChord&, const OnboardingChord&) = default;
};

// What the onboarding panel shows at one step: the eyebrow and heading, a sentence, the welcome step's
// chords, the step's controls, a status line, and the buttons along the bottom (Back, Continue, Done).
// Controls and buttons report through the same events as the settings window's.
struct OnboardingForm {
    std::string title;
    std::string eyebrow;
    std::string heading;
    std::string intro;
    std::vector<OnboardingChord> chords;
    // What the chord pressed last did; empty before any.
    std::string pressedNote;
    std::vector<SettingsSection> sections;
    std::string status;
    MenuTone statusTone = MenuTone::plain;
    std::vector<SettingsControl> buttons;

    friend bool operator==(const OnboardingForm&, const OnboardingForm&) = default;
};

} // namespace quorvane
