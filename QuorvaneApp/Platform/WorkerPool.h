#pragma once

#include <functional>

namespace quorvane {

// Threads for work that must not block the main thread, such as frame writes into slow applications.
class WorkerPool {
public:
    virtual ~WorkerPool() = default;

    // Runs `work` on some worker thread soon; items may run concurrently with each other.
    virtual void submit(std::function<void()> work) = 0;
};

} // namespace quorvane
