#include "QuorvaneApp/Tiling/MotionSession.h"

#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Platform/WorkerPool.h"
#include "QuorvaneApp/Tiling/MotionGate.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "Tiling/TileMotion.h"

#include <atomic>
#include <set>

namespace quorvane {

MotionSession::MotionSession(uint64_t token, std::vector<std::shared_ptr<MoveBox>> moves,
    std::shared_ptr<MotionGate> gate, const MotionPlatform& platform)
    : m_token(token)
    , m_moves(std::move(moves))
    , m_gate(std::move(gate))
    , m_platform(platform)
{
}

void MotionSession::apply(double progress, std::function<void()> done)
{
    using Group = std::vector<std::shared_ptr<MoveBox>>;
    std::vector<Group> groups;
    std::vector<int32_t> pids;
    for (const std::shared_ptr<MoveBox>& move : m_moves) {
        size_t index = 0;
        while (index < pids.size() && pids[index] != move->pid)
            ++index;
        if (index == pids.size()) {
            pids.push_back(move->pid);
            groups.emplace_back();
        }
        groups[index].push_back(move);
    }
    if (groups.empty()) {
        done();
        return;
    }

    auto remaining = std::make_shared<std::atomic<size_t>>(groups.size());
    auto shared = std::make_shared<std::function<void()>>(std::move(done));
    auto write = [self = shared_from_this(), progress, remaining, shared](const Group& group) {
        for (const std::shared_ptr<MoveBox>& move : group) {
            if (move->slow && progress < 1)
                continue;
            Frame frame = progress >= 1 ? move->to : TileMotion::frame(move->from, move->to, progress);
            double begun = self->m_platform.clock.now();
            self->m_platform.access.setFrame(move->handle, frame, move->order);
            if (self->m_platform.clock.now() - begun > TileMotion::slowWrite)
                move->slow = true;
        }
        // The last application to finish carries on; acquire-release makes every write visible to it.
        if (remaining->fetch_sub(1, std::memory_order_acq_rel) == 1)
            (*shared)();
    };
    // The first application's writes stay on this worker; the others get one work item each.
    for (size_t index = 1; index < groups.size(); ++index)
        m_platform.workers.submit([write, group = std::move(groups[index])] { write(group); });
    write(groups.front());
}

void MotionSession::suspendEnhanced()
{
    std::set<int32_t> seen;
    for (const std::shared_ptr<MoveBox>& move : m_moves) {
        if (!seen.insert(move->pid).second)
            continue;
        EnhancedMode mode = m_platform.windows.enhancedMode(move->pid);
        // An application that turned the mode back on is switched off again; only its first value is kept.
        if (mode == EnhancedMode::on)
            m_platform.windows.setEnhancedMode(move->pid, false);
        m_gate->remember(move->pid, mode);
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
