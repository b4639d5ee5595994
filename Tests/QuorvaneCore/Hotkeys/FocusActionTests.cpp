#include "Hotkeys/FocusAction.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(FocusAction, DecisionTable)
{
    struct Case {
        bool running, frontmost;
        int windows;
        std::optional<int> focused;
        bool cycle, hide;
        FocusAction expected;
    };
    const Case cases[] = {
        { false, false, 0, std::nullopt, true, true, FocusAction::launch() },
        { false, true, 3, 1, true, false, FocusAction::launch() },
        { true, false, 3, 1, true, true, FocusAction::focus() },
        { true, true, 1, 0, true, false, FocusAction::focus() },
        { true, true, 1, 0, true, true, FocusAction::hide() },
        { true, true, 0, std::nullopt, true, true, FocusAction::hide() },
        { true, true, 2, 0, false, true, FocusAction::hide() },
        { true, true, 2, 0, false, false, FocusAction::focus() },
        // Cycling takes precedence over hiding once there are two windows.
        { true, true, 3, 1, true, true, FocusAction::cycle(2) },
        { true, true, 3, 2, true, false, FocusAction::cycle(0) },
        { true, true, 3, std::nullopt, true, false, FocusAction::cycle(1) },
        // Out-of-range indexes are clamped before stepping.
        { true, true, 3, 7, true, false, FocusAction::cycle(0) },
        { true, true, 3, -4, true, false, FocusAction::cycle(1) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        EXPECT_EQ(focusAction(c.running, c.frontmost, c.windows, c.focused, c.cycle, c.hide), c.expected);
    }
}

} // namespace
} // namespace quorvane
