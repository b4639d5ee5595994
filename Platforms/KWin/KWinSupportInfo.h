#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// What KWin says of itself in its support information (org.kde.KWin.supportInformation): its version and
// its screens. Only the lines used here are read; anything else in the text is ignored.
struct KWinSupportInfo {
    // "5.27.5"; empty when the text names no version.
    std::string version;
    int major = 0;
    int minor = 0;
    // The screens' names in KWin's order ("Virtual-0", "DP-1").
    std::vector<std::string> screenNames;
    // The first screen's refresh rate in hertz, 0 when unknown.
    double refreshRate = 0;

    // "KDE Plasma (KWin 5.27) on Wayland", or without the version when it is unknown.
    std::string desktopName() const;

    static KWinSupportInfo parse(std::string_view text);
};

} // namespace quorvane
