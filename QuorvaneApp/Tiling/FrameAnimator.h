#pragma once

#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneApp/Tiling/DisplayClock.h"
#include "QuorvaneApp/Tiling/MotionSession.h"

#include <memory>
#include <vector>

namespace quorvane {

class MotionGate;

// Every window move of tiling: batches the moves of one main-loop pass, writes them at once or as a 0.2 s
// eased animation on worker threads (one work item per application per frame). A newer batch takes over a
// running animation: its windows go to their new targets, the others on to their old ones. Main thread only.
class FrameAnimator {
public:
    explicit FrameAnimator(const MotionPlatform&);
    ~FrameAnimator();
    FrameAnimator(const FrameAnimator&) = delete;
    FrameAnimator& operator=(const FrameAnimator&) = delete;

    // Asks for the window to go to `to`; a newer request for the same window in the same pass wins.
    void move(WindowHandle, int32_t pid, const Frame& to, bool animate);
    // Hands the moves asked for so far to the workers now, as one batch, instead of at the end of the main
    // thread's pass: an action that has asked for all its moves need not wait for the rest of the pass.
    void commit();
    // Whether an animation is under way.
    bool animating() const;
    const DisplayClock& clock() const { return m_clock; }

private:
    void flush();
    void tick(double timestamp);
    // A write pass of the running session on a worker.
    static void runPass(std::weak_ptr<FrameAnimator*> animator, std::shared_ptr<MotionSession> session,
        std::shared_ptr<MotionGate> gate, MotionPlatform platform, double progress, bool final);
    static void endPass(const std::shared_ptr<MotionGate>& gate, WorkerPool& workers);

    MotionPlatform m_platform;
    std::shared_ptr<MotionGate> m_gate;
    DisplayClock m_clock;
    std::vector<std::shared_ptr<MoveBox>> m_queued;
    bool m_flushScheduled = false;
    // Posted work reaches the animator through this while it lives.
    WeakSelf<FrameAnimator> m_self { *this };
};

} // namespace quorvane
