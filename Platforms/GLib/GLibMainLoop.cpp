#include "Platforms/GLib/GLibMainLoop.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <deque>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

namespace quorvane {

// GLib's default context, where GTK, GDK and GIO deliver too. The loop destroys every source it attached when
// it goes, so that work left over from one loop never runs in a later loop of the same process.
struct GLibMainLoop::Loop {
    GMainContext* context = g_main_context_default();
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    std::mutex lock;
    // Attached and not yet destroyed; guarded by `lock`.
    std::set<GSource*> sources;
    // Posted work not yet run, in order; guarded by `lock`.
    std::deque<std::function<void()>> posted;
    bool closed = false;
    // Wakes the context for posted work. A source attached from another thread wakes it while holding the
    // context's lock, so the woken main thread would stall on that lock and the poster's own: an eventfd
    // written after every lock is released wakes it with nothing to wait for.
    int wakeup = makeEventFD();
    GSource* wakeupSource = g_unix_fd_source_new(wakeup, G_IO_IN);

    Loop()
    {
        g_source_set_callback(wakeupSource, G_SOURCE_FUNC(runPosted), this, nullptr);
        g_source_set_can_recurse(wakeupSource, TRUE);
        g_source_attach(wakeupSource, context);
    }
    Loop(const Loop&) = delete;
    Loop& operator=(const Loop&) = delete;

    ~Loop()
    {
        std::set<GSource*> left;
        std::deque<std::function<void()>> unrun;
        {
            std::lock_guard hold(lock);
            closed = true;
            left.swap(sources);
            unrun.swap(posted);
        }
        for (GSource* source : left)
            g_source_destroy(source);
        g_source_destroy(wakeupSource);
        g_source_unref(wakeupSource);
        ::close(wakeup);
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

    // Queues `work` for the main thread; callable from any thread, dropped once the loop is gone.
    void post(std::function<void()> work)
    {
        bool wasIdle;
        {
            std::lock_guard hold(lock);
            if (closed)
                return;
            wasIdle = posted.empty();
            posted.push_back(std::move(work));
        }
        // One wake-up per batch: the main thread takes the whole queue when it runs.
        if (wasIdle && ::eventfd_write(wakeup, 1) != 0)
            throw std::system_error(errno, std::generic_category(), "eventfd_write");
    }

private:
    static int makeEventFD()
    {
        int descriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (descriptor < 0)
            throw std::system_error(errno, std::generic_category(), "eventfd");
        return descriptor;
    }

    // Takes the next posted work. The wake-up stays set while work waits, so that a loop run inside work
    // goes on with the next; it is cleared with the queue.
    bool take(std::function<void()>& work)
    {
        std::lock_guard hold(lock);
        if (!posted.empty()) {
            work = std::move(posted.front());
            posted.pop_front();
        }
        if (posted.empty()) {
            eventfd_t count;
            // Nonblocking: a wake-up for work already run reads nothing.
            ::eventfd_read(wakeup, &count);
        }
        return static_cast<bool>(work);
    }

    // Runs, in order, what was posted before this turn; later work waits for the next turn, so that other
    // sources are not starved by work that posts more work.
    static gboolean runPosted(gint, GIOCondition, gpointer data)
    {
        auto* self = static_cast<Loop*>(data);
        std::size_t due;
        {
            std::lock_guard hold(self->lock);
            due = self->posted.size();
        }
        std::function<void()> work;
        while (self->take(work)) {
            std::exchange(work, nullptr)();
            if (due <= 1)
                break;
            --due;
        }
        return G_SOURCE_CONTINUE;
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
    m_loop->post(std::move(work));
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
