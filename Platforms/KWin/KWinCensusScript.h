#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// The long-lived KWin script that reports windows and screens to the application's D-Bus object and carries
// out the commands the application hands back. It reports every window once when it starts and then each
// change: windows added, removed or activated, frames, titles and states changed, screens changed. For
// commands it calls "Commands" and waits: the answer is a list of commands, after which it calls again, or
// anything else, after which it stops asking. It runs on KWin 5 and 6 alike, choosing the script API that
// KWin offers.
struct KWinCensusScript {
    // Where its calls go, and the generation that tells its reports from an earlier script's.
    struct Target {
        std::string service;
        std::string path;
        std::string interface;
        std::string generation;
        // The application's process, whose overlay windows the script places.
        int32_t pid = 0;
    };

    static std::string text(const Target&);
};

} // namespace quorvane
