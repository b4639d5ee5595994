#include "QuorvaneApp/Tiling/FrameAnimator.h"

#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Platform/WorkerPool.h"
#include "QuorvaneApp/Tiling/MotionGate.h"
#include "Tiling/TileMotion.h"

#include <algorithm>
#include <utility>

namespace quorvane {

FrameAnimator::FrameAnimator(const MotionPlatform& platform)
    : m_platform(platform)
    , m_gate(std::make_shared<MotionGate>())
    , m_clock(platform.clock, platform.windows)
{
}

FrameAnimator::~FrameAnimator()
{
    m_clock.stop();
    // The gate outlives the animator in passes still under way; it must not keep the session alive with it.
    m_gate->setSession(nullptr);
}

void FrameAnimator::move(WindowHandle handle, int32_t pid, const Frame& to, bool animate)
{
    Frame from = m_platform.windows.readFrame(handle).value_or(to);
    auto box = std::make_shared<MoveBox>(
        MoveBox { handle, pid, from, to, TileMotion::attributeOrder(from, to), animate, false });
    std::erase_if(m_queued, [&](const std::shared_ptr<MoveBox>& queued) { return queued->handle == handle; });
    m_queued.push_back(std::move(box));
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    m_platform.clock.post(m_self.bind([](FrameAnimator& animator) { animator.flush(); }));
}

void FrameAnimator::commit()
{
    // The flush still scheduled finds nothing left to do.
    if (!m_queued.empty())
        flush();
}

bool FrameAnimator::animating() const
{
    return m_gate->session() != nullptr;
}

void FrameAnimator::flush()
{
    m_flushScheduled = false;
    std::vector<std::shared_ptr<MoveBox>> batch = std::exchange(m_queued, {});
    if (batch.empty())
        return;
    // The running session's other windows go on to their targets from where it has taken them, in the new
    // session; a window of both goes where the new batch says.
    if (std::shared_ptr<MotionSession> running = m_gate->session()) {
        double reached = running->reached();
        std::vector<std::shared_ptr<MoveBox>> carried;
        for (const std::shared_ptr<MoveBox>& move : running->moves()) {
            bool renewed
                = std::any_of(batch.begin(), batch.end(), [&](const auto& box) { return box->handle == move->handle; });
            if (renewed)
                continue;
            Frame from = TileMotion::frame(move->from, move->to, reached);
            carried.push_back(std::make_shared<MoveBox>(MoveBox { move->handle, move->pid, from, move->to,
                TileMotion::attributeOrder(from, move->to), move->animate, false }));
        }
        batch.insert(batch.begin(), carried.begin(), carried.end());
    }
    uint64_t token = m_gate->beginBatch();
    bool animate = std::any_of(batch.begin(), batch.end(), [](const auto& box) { return box->animate; });
    auto session = std::make_shared<MotionSession>(token, std::move(batch), m_gate, m_platform);
    if (animate) {
        // Every move of the batch is interpolated, also those that did not ask for it.
        m_gate->setSession(session);
        m_clock.setOnFrame(m_self.bind([](FrameAnimator& animator, double timestamp) { animator.tick(timestamp); }));
        m_clock.start();
        return;
    }
    m_clock.stop();
    m_gate->setSession(nullptr);
    std::shared_ptr<MotionGate> gate = m_gate;
    WorkerPool& workers = m_platform.workers;
    // Written once a running pass is over, never alongside it.
    std::function<void()> work
        = [session, gate, &workers] { session->finish([gate, &workers] { endPass(gate, workers); }); };
    if (!m_gate->claimOrQueue(work))
        return;
    // A write that cannot wait on the window's program goes out at once rather than after a worker's wake-up.
    if (m_platform.windows.writesPromptly())
        work();
    else
        workers.submit(std::move(work));
}

void FrameAnimator::tick(double timestamp)
{
    std::shared_ptr<MotionSession> session = m_gate->session();
    if (!session) {
        m_clock.stop();
        return;
    }
    double started = m_gate->startedOr(timestamp);
    double progress = std::min((timestamp - started) / TileMotion::duration, 1.0);
    std::optional<bool> final = m_gate->claimFrame(progress >= 1);
    if (!final)
        return;
    m_platform.workers.submit(
        [animator = m_self.weak(), session, gate = m_gate, platform = m_platform, progress, final = *final] {
            runPass(animator, session, gate, platform, progress, final);
        });
}

void FrameAnimator::runPass(std::weak_ptr<FrameAnimator*> animator, std::shared_ptr<MotionSession> session,
    std::shared_ptr<MotionGate> gate, MotionPlatform platform, double progress, bool final)
{
    if (!gate->current(session->token())) {
        endPass(gate, platform.workers);
        return;
    }
    auto done = [animator, token = session->token(), gate, &loop = platform.clock, &workers = platform.workers, final] {
        if (final) {
            loop.post([animator, gate, token] {
                FrameAnimator* self = WeakSelf<FrameAnimator>::lock(animator);
                if (!self || !gate->current(token))
                    return;
                self->m_clock.stop();
                gate->endSession(token);
            });
        }
        endPass(gate, workers);
    };
    if (final) {
        session->finish(std::move(done));
    } else {
        session->suspendEnhanced();
        session->apply(progress, std::move(done));
    }
}

void FrameAnimator::endPass(const std::shared_ptr<MotionGate>& gate, WorkerPool& workers)
{
    if (std::function<void()> next = gate->release())
        workers.submit(std::move(next));
}

} // namespace quorvane
