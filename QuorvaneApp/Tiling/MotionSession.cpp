#include "QuorvaneApp/Tiling/MotionSession.h"

#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Platform/WorkerPool.h"
#include "QuorvaneApp/Tiling/MotionGate.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "Tiling/TileMotion.h"

namespace quorvane {

MotionSession::MotionSession(uint64_t token, std::vector<std::shared_ptr<MoveBox>> moves,
    std::shared_ptr<MotionGate> gate, const MotionPlatform& platform)
    : m_token(token)
    , m_moves(std::move(moves))
    , m_gate(std::move(gate))
    , m_platform(platform)
{
    std::vector<int32_t> pids;
    for (const std::shared_ptr<MoveBox>& move : m_moves) {
        size_t index = 0;
        while (index < pids.size() && pids[index] != move->pid)
            ++index;
        if (index == pids.size()) {
            pids.push_back(move->pid);
            m_groups.emplace_back();
        }
        m_groups[index].push_back(move);
    }
}

void MotionSession::write(const Group& group, double progress)
{
    for (const std::shared_ptr<MoveBox>& move : group) {
        if (move->slow && progress < 1)
            continue;
        Frame frame = progress >= 1 ? move->to : TileMotion::frame(move->from, move->to, progress);
        double begun = m_platform.clock.now();
        m_platform.access.setFrame(move->handle, frame, move->order);
        if (m_platform.clock.now() - begun > TileMotion::slowWrite)
            move->slow = true;
    }
}

void MotionSession::apply(double progress, std::function<void()> done)
{
    m_reached.store(progress, std::memory_order_release);
    if (m_groups.empty()) {
        done();
        return;
    }
    auto remaining = std::make_shared<std::atomic<size_t>>(m_groups.size());
    auto shared = std::make_shared<std::function<void()>>(std::move(done));
    auto writeGroup = [self = shared_from_this(), progress, remaining, shared](size_t index) {
        self->write(self->m_groups[index], progress);
        // The last application to finish carries on; acquire-release makes every write visible to it.
        if (remaining->fetch_sub(1, std::memory_order_acq_rel) == 1)
            (*shared)();
    };
    // The first application's writes stay on this worker; the others get one work item each.
    for (size_t index = 1; index < m_groups.size(); ++index)
        m_platform.workers.submit([writeGroup, index] { writeGroup(index); });
    writeGroup(0);
}

void MotionSession::suspendEnhanced()
{
    for (const Group& group : m_groups) {
        int32_t pid = group.front()->pid;
        EnhancedMode mode = m_platform.windows.enhancedMode(pid);
        // An application that turned the mode back on is switched off again; only its first value is kept.
        if (mode == EnhancedMode::on)
            m_platform.windows.setEnhancedMode(pid, false);
        m_gate->remember(pid, mode);
    }
}

void MotionSession::finish(std::function<void()> done)
{
    suspendEnhanced();
    apply(1, [self = shared_from_this(), done = std::move(done)] {
        for (const auto& [pid, mode] : self->m_gate->takeRemembrances()) {
            if (mode != EnhancedMode::unknown)
                self->m_platform.windows.setEnhancedMode(pid, mode == EnhancedMode::on);
        }
        done();
    });
}

} // namespace quorvane
