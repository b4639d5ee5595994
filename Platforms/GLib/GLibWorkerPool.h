#pragma once

#include "QuorvaneApp/Platform/WorkerPool.h"

namespace quorvane {

// Worker threads from a GLib thread pool; items run concurrently, up to `threads` at a time.
class GLibWorkerPool : public WorkerPool {
public:
    explicit GLibWorkerPool(int threads = 4);
    // Waits for the items already submitted.
    ~GLibWorkerPool() override;
    GLibWorkerPool(const GLibWorkerPool&) = delete;
    GLibWorkerPool& operator=(const GLibWorkerPool&) = delete;

    void submit(std::function<void()> work) override;

private:
    struct Pool;
    Pool* m_pool;
};

} // namespace quorvane
