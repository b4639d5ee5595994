#include "Setup/SetupStep.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(SetupStep, NumbersEyebrowsAndTitles)
{
    struct {
        SetupStep step;
        int number;
        const char* eyebrow;
        const char* title;
    } cases[] = {
        { SetupStep::welcome, 1, "STEP 1 OF 6", "Welcome" },
        { SetupStep::accessibility, 2, "STEP 2 OF 6", "Accessibility" },
        { SetupStep::commandLine, 3, "STEP 3 OF 6", "Command line" },
        { SetupStep::skillFile, 4, "STEP 4 OF 6", "Skill file" },
        { SetupStep::agentHotkey, 5, "STEP 5 OF 6", "Agent hotkey" },
        { SetupStep::done, 6, "STEP 6 OF 6", "Done" },
    };
    for (const auto& [step, expectedNumber, expectedEyebrow, expectedTitle] : cases) {
        EXPECT_EQ(number(step), expectedNumber);
        EXPECT_EQ(eyebrow(step), expectedEyebrow);
        EXPECT_EQ(title(step), expectedTitle);
        EXPECT_EQ(setupStep(rawValue(step)), step);
        EXPECT_EQ(mayContinue(step, false), step != SetupStep::accessibility) << expectedTitle;
        EXPECT_TRUE(mayContinue(step, true));
    }
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
