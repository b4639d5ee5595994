#pragma once

#include "QuorvaneApp/Platform/WorkerPool.h"

#include <deque>
#include <mutex>

namespace quorvane {

// Workers that run each item at once on the submitting thread, or, when queued, hold the items until the
// test drains them, so the order of concurrent work can be chosen.
class SimulatedWorkerPool : public WorkerPool {
public:
    void submit(std::function<void()> work) override;

    // Holds submitted work from now on instead of running it.
    void setQueued(bool queued);
    // Runs held work, including work it submits, until none is left; gives how much ran.
    int drain();
    size_t queuedCount() const;

private:
    mutable std::mutex m_mutex;
    bool m_queued = false;
    std::deque<std::function<void()>> m_work;
};

} // namespace quorvane
