#pragma once

#include "QuorvaneApp/Tiling/MoveBox.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quorvane {

class MainLoop;
class MotionGate;
class WindowAccess;
class WindowSystem;
class WorkerPool;

// What the motion needs of the platform: the writes, the workers, and the clock that times each write.
struct MotionPlatform {
    WindowAccess& access;
    WindowSystem& windows;
    WorkerPool& workers;
    MainLoop& clock;
};

// One batch of moves on its way, written by workers: every application's windows in one work item per pass.
class MotionSession : public std::enable_shared_from_this<MotionSession> {
public:
    MotionSession(uint64_t token, std::vector<std::shared_ptr<MoveBox>> moves, std::shared_ptr<MotionGate> gate,
        const MotionPlatform& platform);

    // The gate's generation when the batch was flushed.
    uint64_t token() const { return m_token; }
    const std::vector<std::shared_ptr<MoveBox>>& moves() const { return m_moves; }
    // The progress of the latest write pass begun (0 before the first): where the windows are, or soon will be.
    double reached() const { return m_reached.load(std::memory_order_acquire); }

    // Writes the frames at `progress` (the targets from 1 on), the applications side by side (the first one on
    // the calling worker); slow windows wait for the final frame. `done` runs once every application's writes
    // are over, on the last worker.
    void apply(double progress, std::function<void()> done);
    // Switches off every application's enhanced mode, remembering what it was before motion began.
    void suspendEnhanced();
    // The final frame: every window to its target, then each remembered enhanced mode back as it was.
    void finish(std::function<void()> done);

private:
    using Group = std::vector<std::shared_ptr<MoveBox>>;
    // Writes one application's moves at `progress`.
    void write(const Group&, double progress);

    uint64_t m_token;
    std::vector<std::shared_ptr<MoveBox>> m_moves;
    // The moves by application, in the order each application first appears: fixed for the whole batch.
    std::vector<Group> m_groups;
    std::shared_ptr<MotionGate> m_gate;
    MotionPlatform m_platform;
    std::atomic<double> m_reached { 0 };
};

} // namespace quorvane
