#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One option of `quorvane-app`.
struct AppOption {
    std::string_view flag;
    // One line for the help screen and the manual page.
    std::string_view summary;
};

// The command line of `quorvane-app`: its options and its help screen.
namespace AppUsage {

// What the application does without an option.
inline constexpr std::string_view withoutOptions
    = "it manages the windows of the session's desktop: KWin in a Wayland session (KDE Plasma), else the X display "
      "in $DISPLAY";

// Every option, in the order the help screen lists them.
const std::vector<AppOption>& options();
// The help screen, ending in a line feed.
std::string text();

} // namespace AppUsage

} // namespace quorvane
