#include "QuorvaneApp/Platform/QuitGate.h"

#include <memory>

namespace quorvane {

namespace {

struct Call {
    std::function<void()> work;
    bool running = false;
    bool done = false;
    // The caller stopped waiting; the work refers to its stack and must never run.
    bool abandoned = false;
};

} // namespace

bool QuitGate::quitting() const
{
    std::lock_guard guard(m_mutex);
    return m_quitting;
}

void QuitGate::quit()
{
    {
        std::lock_guard guard(m_mutex);
        m_quitting = true;
    }
    m_changed.notify_all();
}

bool QuitGate::callAndWait(bool onMainThread, const std::function<void(std::function<void()>)>& post,
    std::function<void()> work, std::stop_token stop)
{
    if (onMainThread) {
        if (quitting())
            return false;
        work();
        return true;
    }
    auto call = std::make_shared<Call>();
    call->work = std::move(work);
    if (quitting())
        return false;
    post([this, call] {
        {
            std::lock_guard guard(m_mutex);
            if (call->abandoned)
                return;
            call->running = true;
        }
        call->work();
        {
            std::lock_guard guard(m_mutex);
            call->done = true;
        }
        m_changed.notify_all();
    });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, stop, [&] { return call->done || (m_quitting && !call->running); });
    // Work the main thread has started refers to the caller's stack, so it is always waited for.
    if (call->running)
        m_changed.wait(lock, [&] { return call->done; });
    if (!call->done) {
        call->abandoned = true;
        return false;
    }
    return true;
}

} // namespace quorvane
