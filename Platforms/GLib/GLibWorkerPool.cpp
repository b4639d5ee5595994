#include "Platforms/GLib/GLibWorkerPool.h"

#include <glib.h>

#include <system_error>

namespace quorvane {

struct GLibWorkerPool::Pool {
    GThreadPool* pool = nullptr;
};

namespace {

void runItem(gpointer item, gpointer)
{
    auto* work = static_cast<std::function<void()>*>(item);
    (*work)();
    delete work;
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
    g_thread_pool_push(m_pool->pool, new std::function<void()>(std::move(work)), nullptr);
}

} // namespace quorvane
