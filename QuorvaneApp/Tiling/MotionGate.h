#pragma once

#include "QuorvaneApp/Platform/WindowSystem.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace quorvane {

class MotionSession;

// The state the frame animator shares with its workers, behind one lock that is never held while a
// window is read or written.
class MotionGate {
public:
    // A new batch: its token. Older sessions' passes that have not begun write nothing.
    uint64_t beginBatch();
    uint64_t generation() const;
    bool current(uint64_t token) const;

    // The running animation, if any.
    std::shared_ptr<MotionSession> session() const;
    void setSession(std::shared_ptr<MotionSession>);
    // The running animation's first tick; set by the first call.
    double startedOr(double timestamp);
    // Clears the session and its start, when `token` is still the current batch.
    void endSession(uint64_t token);

    // Claims the write pass of one tick. None when a pass is running (the frame is skipped; when the
    // animation's time has run out the final write becomes owed) or the final pass is already out; else
    // whether this pass is the final one.
    std::optional<bool> claimFrame(bool timeIsUp);
    // Claims a write pass for a batch without animation; when a pass runs, `work` waits for it and false is
    // returned.
    bool claimOrQueue(std::function<void()> work);
    // Ends a write pass: gives the next waiting batch (the pass stays claimed for it), or nothing.
    std::function<void()> release();
    bool busy() const;

    // Records an application's enhanced mode as found before motion touched it; later values are ignored.
    void remember(int32_t pid, EnhancedMode);
    // The recorded modes, which are forgotten.
    std::map<int32_t, EnhancedMode> takeRemembrances();

private:
    mutable std::mutex m_lock;
    uint64_t m_generation = 0;
    bool m_busy = false;
    bool m_finishAfter = false;
    bool m_finalOut = false;
    std::map<int32_t, EnhancedMode> m_remembered;
    std::shared_ptr<MotionSession> m_session;
    std::optional<double> m_started;
    std::deque<std::function<void()>> m_waiting;
};

} // namespace quorvane
