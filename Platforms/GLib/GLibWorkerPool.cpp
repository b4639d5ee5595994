#include "Platforms/GLib/GLibWorkerPool.h"

#include <glib.h>

#include <atomic>
#include <system_error>

namespace quorvane {

struct GLibWorkerPool::Pool {
    GThreadPool* pool = nullptr;
};

namespace {

// One submitted item. GLib hands it over through a queue that thread checkers cannot see into, so the hand-over
// is also published through `handed`: everything the submitting thread did before it happens before the work.
struct Item {
    std::function<void()> work;
    std::atomic<bool> handed { false };
};

void runItem(gpointer pushed, gpointer)
{
    auto* item = static_cast<Item*>(pushed);
    while (!item->handed.load(std::memory_order_acquire)) { }
    item->work();
    delete item;
}

} // namespace

GLibWorkerPool::GLibWorkerPool(int threads)
    : m_pool(new Pool)
{
    GError* error = nullptr;
    m_pool->pool = g_thread_pool_new(runItem, nullptr, threads, FALSE, &error);
    if (!m_pool->pool) {
        std::string message = error ? error->message : "no thread pool";
        g_clear_error(&error);
        delete m_pool;
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), message);
    }
}

GLibWorkerPool::~GLibWorkerPool()
{
    g_thread_pool_free(m_pool->pool, FALSE, TRUE);
    delete m_pool;
}

void GLibWorkerPool::submit(std::function<void()> work)
{
    auto* item = new Item { std::move(work) };
    item->handed.store(true, std::memory_order_release);
    g_thread_pool_push(m_pool->pool, item, nullptr);
}

} // namespace quorvane
