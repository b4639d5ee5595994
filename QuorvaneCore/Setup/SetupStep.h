#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The steps of the onboarding panel, in order; the raw value is the position.
enum class SetupStep : int {
    welcome = 0,
    accessibility = 1,
    commandLine = 2,
    skillFile = 3,
    agentHotkey = 4,
    done = 5,
};

inline constexpr std::array<SetupStep, 6> allSetupSteps = {
    SetupStep::welcome,
    SetupStep::accessibility,
    SetupStep::commandLine,
    SetupStep::skillFile,
    SetupStep::agentHotkey,
    SetupStep::done,
};

// The step's raw value, its position from 0.
int rawValue(SetupStep);
// The step with this raw value, or none.
std::optional<SetupStep> setupStep(int rawValue);
// The step named by the text of QUORVANE_SETUP_STEP: a decimal integer that is a step's raw value.
std::optional<SetupStep> parseSetupStep(std::string_view text);

// The step's position counted from 1.
int number(SetupStep);
// "STEP 2 OF 6".
std::string eyebrow(SetupStep);
// The step's heading ("Command line").
std::string_view title(SetupStep);
// Whether the panel may move on from this step; only the Accessibility step waits for its permission.
bool mayContinue(SetupStep, bool accessibilityOn);

} // namespace quorvane
