#include "Hotkeys/FocusAction.h"

#include <algorithm>

namespace quorvane {

FocusAction focusAction(
    bool isRunning, bool isFrontmost, int windowCount, std::optional<int> focusedIndex, bool cycle, bool hideOnRepeat)
{
    if (!isRunning)
        return FocusAction::launch();
    if (!isFrontmost)
        return FocusAction::focus();
    if (cycle && windowCount >= 2) {
        // A focused window that is not among the application's windows counts as the leftmost one.
        int current = std::clamp(focusedIndex.value_or(0), 0, windowCount - 1);
        return FocusAction::cycle((current + 1) % windowCount);
    }
    return hideOnRepeat ? FocusAction::hide() : FocusAction::focus();
}

} // namespace quorvane
