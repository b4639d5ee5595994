#pragma once

#include <string_view>

namespace quorvane {

// The notice shown when a display move finds a single display.
namespace DisplayNotice {
inline constexpr std::string_view onlyOne = "Only one display connected";
// How long the notice stays up.
inline constexpr double seconds = 1.0;
} // namespace DisplayNotice

// The size of the notice panel to be placed.
struct NoticeSize {
    double width = 0;
    double height = 0;

    friend bool operator==(const NoticeSize&, const NoticeSize&) = default;
};

} // namespace quorvane
