#pragma once

#include <cstdint>
#include <optional>

namespace quorvane {

// What an application hotkey does to its application.
struct FocusAction {
    enum class Kind : uint8_t {
        cycle,
        launch,
        focus,
        hide,
    };

    Kind kind = Kind::launch;
    // For cycle: the index, in left-to-right order, of the window to raise.
    int index = 0;

    static FocusAction cycle(int index) { return { Kind::cycle, index }; }
    static FocusAction launch() { return { Kind::launch, 0 }; }
    static FocusAction focus() { return { Kind::focus, 0 }; }
    static FocusAction hide() { return { Kind::hide, 0 }; }

    friend bool operator==(const FocusAction&, const FocusAction&) = default;
};

// Launch when not running, focus when behind, and when in front cycle its windows or hide it.
FocusAction focusAction(
    bool isRunning, bool isFrontmost, int windowCount, std::optional<int> focusedIndex, bool cycle, bool hideOnRepeat);

} // namespace quorvane
