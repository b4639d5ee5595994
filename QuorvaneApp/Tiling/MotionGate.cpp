#include "QuorvaneApp/Tiling/MotionGate.h"

#include "QuorvaneApp/Tiling/MotionSession.h"

#include <utility>

namespace quorvane {

uint64_t MotionGate::beginBatch()
{
    std::lock_guard guard(m_lock);
    m_finishAfter = false;
    m_finalOut = false;
    return ++m_generation;
}

uint64_t MotionGate::generation() const
{
    std::lock_guard guard(m_lock);
    return m_generation;
}

bool MotionGate::current(uint64_t token) const
{
    return generation() == token;
}

std::shared_ptr<MotionSession> MotionGate::session() const
{
    std::lock_guard guard(m_lock);
    return m_session;
}

void MotionGate::setSession(std::shared_ptr<MotionSession> session)
{
    std::lock_guard guard(m_lock);
    m_session = std::move(session);
    m_started.reset();
}

double MotionGate::startedOr(double timestamp)
{
    std::lock_guard guard(m_lock);
    if (!m_started)
        m_started = timestamp;
    return *m_started;
}

void MotionGate::endSession(uint64_t token)
{
    std::lock_guard guard(m_lock);
    if (m_generation != token)
        return;
    m_session.reset();
    m_started.reset();
}

std::optional<bool> MotionGate::claimFrame(bool timeIsUp)
{
    std::lock_guard guard(m_lock);
    if (m_finalOut)
        return std::nullopt;
    if (m_busy) {
        if (timeIsUp)
            m_finishAfter = true;
        return std::nullopt;
    }
    m_busy = true;
    bool final = timeIsUp || std::exchange(m_finishAfter, false);
    m_finalOut = final;
    return final;
}

bool MotionGate::claimOrQueue(std::function<void()> work)
{
    std::lock_guard guard(m_lock);
    if (m_busy) {
        m_waiting.push_back(std::move(work));
        return false;
    }
    m_busy = true;
    return true;
}

std::function<void()> MotionGate::release()
{
    std::lock_guard guard(m_lock);
    if (m_waiting.empty()) {
        m_busy = false;
        return {};
    }
    std::function<void()> next = std::move(m_waiting.front());
    m_waiting.pop_front();
    return next;
}

bool MotionGate::busy() const
{
    std::lock_guard guard(m_lock);
    return m_busy;
}

void MotionGate::remember(int32_t pid, EnhancedMode mode)
{
    std::lock_guard guard(m_lock);
    m_remembered.emplace(pid, mode);
}

std::map<int32_t, EnhancedMode> MotionGate::takeRemembrances()
{
    std::lock_guard guard(m_lock);
    return std::exchange(m_remembered, {});
}

} // namespace quorvane
