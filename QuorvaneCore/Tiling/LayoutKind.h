#pragma once

#include <optional>
#include <string_view>

namespace quorvane {

// The six ways of arranging all windows of a display, numbered 1 to 6 in this order.
enum class LayoutKind {
    halves,
    thirds,
    quarters,
    mainStack,
    stackMain,
    horizontal,
};

// The kind's name ("halves", "mainStack", ...).
std::string_view toString(LayoutKind);
// The kind with exactly this name.
std::optional<LayoutKind> parseLayoutKind(std::string_view text);

// The kind of layout key `number` (1 to 6); none for any other number.
std::optional<LayoutKind> layoutKind(int number);

} // namespace quorvane
