#pragma once

#include "Tiling/Frame.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One thing KWin's script is asked to do to a window.
struct KWinCommand {
    enum class Action {
        move,
        activate,
        minimize,
        // Places one of the application's own overlay windows, now and whenever it maps: frame, kept above,
        // left out of the task bar, pager and switcher, never left active.
        place,
    };

    Action action = Action::move;
    // KWin's id of the window; for `place`, the title of the application's own window.
    std::string window;
    // The frame a move or a placement gives the window.
    Frame frame;

    friend bool operator==(const KWinCommand&, const KWinCommand&) = default;
};

std::string_view toString(KWinCommand::Action);

// Commands waiting for the script to fetch them. A window's newer command replaces its older one of the same
// action, so a script that fetches late skips the frames of an animation it has missed. Not thread-safe.
class KWinCommandQueue {
public:
    void push(KWinCommand);
    bool empty() const { return m_commands.empty(); }
    // The queued commands as the script reads them, emptying the queue.
    std::string take();

    // Commands as the script reads them: a JSON array of objects with "action", "id" and, for a move or a
    // placement, the frame's "x", "y", "width" and "height" in whole pixels (sizes at least 1).
    static std::string encode(const std::vector<KWinCommand>&);

private:
    std::vector<KWinCommand> m_commands;
};

} // namespace quorvane
