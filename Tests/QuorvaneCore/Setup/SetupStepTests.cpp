#include "Setup/SetupStep.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(SetupStep, NumbersEyebrowsAndTitles)
{
    const char* titles[] = { "Welcome", "Accessibility", "Command line", "Skill file", "Agent hotkey", "Done" };
    for (SetupStep step : allSetupSteps) {
        EXPECT_EQ(title(step), titles[rawValue(step)]);
        EXPECT_EQ(setupStep(rawValue(step)), step);
        EXPECT_EQ(mayContinue(step, false), step != SetupStep::accessibility) << title(step);
        EXPECT_TRUE(mayContinue(step, true));
    }
    EXPECT_EQ(number(SetupStep::welcome), 1);
    EXPECT_EQ(eyebrow(SetupStep::commandLine), "STEP 3 OF 6");
    EXPECT_EQ(eyebrow(SetupStep::done), "STEP 6 OF 6");
}

TEST(SetupStep, ReadsTheEnvironmentValue)
{
    const std::pair<const char*, std::optional<SetupStep>> cases[] = {
        { "0", SetupStep::welcome },
        { "5", SetupStep::done },
        { "+3", SetupStep::skillFile },
        { "03", SetupStep::skillFile },
        { "6", std::nullopt },
        { "+-1", std::nullopt },
        { " 2", std::nullopt },
        { "2.0", std::nullopt },
        { "4294967297", std::nullopt },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseSetupStep(text), expected) << '"' << text << '"';
}

} // namespace
} // namespace quorvane
