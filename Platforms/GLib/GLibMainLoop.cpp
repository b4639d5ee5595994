#include "Platforms/GLib/GLibMainLoop.h"

#include <glib-unix.h>
#include <glib.h>

#include <cmath>
#include <csignal>
#include <mutex>
#include <set>

namespace quorvane {

// GLib's default context, where GTK, GDK and GIO deliver too. The loop destroys every source it attached when
// it goes, so that work left over from one loop never runs in a later loop of the same process.
struct GLibMainLoop::Loop {
    GMainContext* context = g_main_context_default();
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    std::mutex lock;
    // Attached and not yet destroyed; guarded by `lock`.
    std::set<GSource*> sources;
    bool closed = false;

    ~Loop()
    {
        std::set<GSource*> left;
        {
            std::lock_guard hold(lock);
            closed = true;
            left.swap(sources);
        }
        for (GSource* source : left)
            g_source_destroy(source);
        g_main_loop_unref(loop);
    }

    // Attaches `source` (taking the caller's reference) with `function(data)` as its callback; `destroy(data)`
    // runs when the source goes. Callable from any thread; gives 0, dropping the source, once the loop is gone.
    unsigned attach(GSource* source, GSourceFunc function, gpointer data, GDestroyNotify destroy)
    {
        auto* attached = new Attached { this, source, function, data, destroy };
        g_source_set_callback(source, Attached::dispatch, attached, Attached::release);
        unsigned id = 0;
        {
            std::lock_guard hold(lock);
            if (!closed) {
                id = g_source_attach(source, context);
                sources.insert(source);
            }
        }
        // Unattached, this drops the source and with it `attached` and `data`.
        g_source_unref(source);
        return id;
    }

private:
    struct Attached {
        Loop* loop;
        GSource* source;
        GSourceFunc function;
        gpointer data;
        GDestroyNotify destroy;

        static gboolean dispatch(gpointer self)
        {
            auto* attached = static_cast<Attached*>(self);
            return attached->function(attached->data);
        }
        static void release(gpointer self)
        {
            auto* attached = static_cast<Attached*>(self);
            {
                std::lock_guard hold(attached->loop->lock);
                attached->loop->sources.erase(attached->source);
            }
            if (attached->destroy)
                attached->destroy(attached->data);
            delete attached;
        }
    };
};

namespace {

struct Posted {
    std::function<void()> work;
};

gboolean runPosted(gpointer data)
{
    static_cast<Posted*>(data)->work();
    return G_SOURCE_REMOVE;
}

void deletePosted(gpointer data)
{
    delete static_cast<Posted*>(data);
}

} // namespace

struct GLibMainLoop::TimerSource {
    GLibMainLoop* owner;
    TimerId id;
    bool repeating;
    std::function<void()> work;

    static gboolean fire(gpointer data)
    {
        auto* timer = static_cast<TimerSource*>(data);
        bool repeating = timer->repeating;
        if (!repeating)
            timer->owner->m_timers.erase(timer->id);
        // The work may cancel this very timer; the source (and so `timer`) lives until this call returns.
        timer->work();
        return repeating ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }
    static void destroy(gpointer data) { delete static_cast<TimerSource*>(data); }
};

GLibMainLoop::GLibMainLoop()
    : m_loop(std::make_unique<Loop>())
    , m_mainThread(std::this_thread::get_id())
{
}

GLibMainLoop::~GLibMainLoop()
{
    quit();
}

void GLibMainLoop::post(std::function<void()> work)
{
    if (m_gate.quitting())
        return;
    // Attaching a source is thread-safe and wakes the main context.
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    m_loop->attach(source, runPosted, new Posted { std::move(work) }, deletePosted);
}

bool GLibMainLoop::runAndWait(std::function<void()> work, std::stop_token stop)
{
    return m_gate.callAndWait(
        isMainThread(), [this](std::function<void()> job) { post(std::move(job)); }, std::move(work), std::move(stop));
}

TimerId GLibMainLoop::addTimer(double seconds, bool repeating, std::function<void()> work)
{
    TimerId id = m_nextTimer++;
    auto* timer = new TimerSource { this, id, repeating, std::move(work) };
    auto milliseconds = static_cast<guint>(std::max(0.0, std::round(seconds * 1000)));
    m_timers[id] = m_loop->attach(g_timeout_source_new(milliseconds), TimerSource::fire, timer, TimerSource::destroy);
    return id;
}

void GLibMainLoop::cancelTimer(TimerId id)
{
    auto found = m_timers.find(id);
    if (found == m_timers.end())
        return;
    if (GSource* source = g_main_context_find_source_by_id(m_loop->context, found->second))
        g_source_destroy(source);
    m_timers.erase(found);
}

double GLibMainLoop::now() const
{
    return static_cast<double>(g_get_monotonic_time()) / 1e6;
}

bool GLibMainLoop::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

bool GLibMainLoop::serving() const
{
    return g_main_depth() > 0 && isMainThread();
}

void GLibMainLoop::run()
{
    if (!m_gate.quitting())
        g_main_loop_run(m_loop->loop);
}

void GLibMainLoop::quit()
{
    m_gate.quit();
    g_main_loop_quit(m_loop->loop);
}

bool GLibMainLoop::quitting() const
{
    return m_gate.quitting();
}

void GLibMainLoop::onTerminationSignal(std::function<void()> handler)
{
    m_signalHandler = std::move(handler);
    auto call = [](gpointer data) -> gboolean {
        auto* self = static_cast<GLibMainLoop*>(data);
        if (self->m_signalHandler)
            self->m_signalHandler();
        return G_SOURCE_CONTINUE;
    };
    for (int signal : { SIGINT, SIGTERM })
        m_loop->attach(g_unix_signal_source_new(signal), call, this, nullptr);
}

} // namespace quorvane
