#include "Platforms/Simulated/SimulatedWorkerPool.h"

namespace quorvane {

void SimulatedWorkerPool::submit(std::function<void()> work)
{
    {
        std::lock_guard guard(m_mutex);
        if (m_queued) {
            m_work.push_back(std::move(work));
            return;
        }
    }
    work();
}

void SimulatedWorkerPool::setQueued(bool queued)
{
    std::lock_guard guard(m_mutex);
    m_queued = queued;
}

int SimulatedWorkerPool::drain()
{
    int count = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard guard(m_mutex);
            if (m_work.empty())
                return count;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        work();
        ++count;
    }
}

size_t SimulatedWorkerPool::queuedCount() const
{
    std::lock_guard guard(m_mutex);
    return m_work.size();
}

} // namespace quorvane
