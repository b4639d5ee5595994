#include "Setup/SetupStep.h"

#include <charconv>

namespace quorvane {

int rawValue(SetupStep step)
{
    return static_cast<int>(step);
}

std::optional<SetupStep> setupStep(int rawValue)
{
    if (rawValue < 0 || rawValue >= static_cast<int>(allSetupSteps.size()))
        return std::nullopt;
    return allSetupSteps[static_cast<size_t>(rawValue)];
}

std::optional<SetupStep> parseSetupStep(std::string_view text)
{
    // A leading plus sign is part of a decimal integer; from_chars only takes the minus sign.
    if (text.starts_with('+') && !text.substr(1).starts_with('-'))
        text.remove_prefix(1);
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return setupStep(value);
}

int number(SetupStep step)
{
    return rawValue(step) + 1;
}

std::string eyebrow(SetupStep step)
{
    return "STEP " + std::to_string(number(step)) + " OF " + std::to_string(allSetupSteps.size());
}

std::string_view title(SetupStep step)
{
    switch (step) {
    case SetupStep::welcome:
        return "Welcome";
    case SetupStep::accessibility:
        return "Accessibility";
    case SetupStep::commandLine:
        return "Command line";
    case SetupStep::skillFile:
        return "Skill file";
    case SetupStep::agentHotkey:
        return "Agent hotkey";
    case SetupStep::done:
        return "Done";
    }
    __builtin_unreachable();
}

bool mayContinue(SetupStep step, bool accessibilityOn)
{
    return step != SetupStep::accessibility || accessibilityOn;
}

} // namespace quorvane
