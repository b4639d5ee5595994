#include "app/AppUsage.h"

#include <algorithm>

namespace quorvane::AppUsage {

const std::vector<AppOption>& options()
{
    static const std::vector<AppOption> table = {
        { "--backend x11|kwin", "choose the desktop: the X display in $DISPLAY, or KWin on the session bus" },
        { "--simulate", "run on a simulated desktop with sample windows on two displays instead" },
        { "--link-cli", "link the quorvane command beside this program into a folder on the PATH, and say where" },
        { "--help", "show this help" },
    };
    return table;
}

std::string text()
{
    std::string flags;
    for (const AppOption& option : options())
        flags.append(flags.empty() ? "" : " | ").append(option.flag);
    std::string screen = "Usage: quorvane-app [" + flags + "]\nWithout an option " + std::string(withoutOptions)
        + ". One runs per login.\n";
    size_t width = 0;
    for (const AppOption& option : options())
        width = std::max(width, option.flag.size());
    for (const AppOption& option : options())
        screen += "  " + std::string(option.flag) + std::string(width + 2 - option.flag.size(), ' ')
            + std::string(option.summary) + "\n";
    return screen;
}

} // namespace quorvane::AppUsage
