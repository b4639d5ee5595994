#include "Platforms/X11/X11EventSource.h"

#include "Platforms/X11/X11Connection.h"

#include <glib.h>

#include <cstdlib>
#include <deque>

namespace quorvane {

struct X11EventSource::Source {
    GSource base;
    X11Connection* connection;
    Handler* handler;
    std::function<void()>* lost;
    gpointer tag;
    // Events taken from xcb's queue while preparing, delivered at dispatch.
    std::deque<xcb_generic_event_t*>* pending;

    static void takeQueued(Source* source)
    {
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(source->connection->xcb()))
            source->pending->push_back(event);
    }

    static gboolean prepare(GSource* base, gint* timeout)
    {
        auto* source = reinterpret_cast<Source*>(base);
        xcb_flush(source->connection->xcb());
        takeQueued(source);
        *timeout = -1;
        return !source->pending->empty();
    }

    static gboolean check(GSource* base)
    {
        auto* source = reinterpret_cast<Source*>(base);
        if (g_source_query_unix_fd(base, source->tag) & (G_IO_IN | G_IO_HUP | G_IO_ERR)) {
            // Reads what the socket holds into xcb's queue.
            if (xcb_generic_event_t* event = xcb_poll_for_event(source->connection->xcb()))
                source->pending->push_back(event);
        }
        takeQueued(source);
        return !source->pending->empty() || xcb_connection_has_error(source->connection->xcb());
    }

    static gboolean dispatch(GSource* base, GSourceFunc, gpointer)
    {
        auto* source = reinterpret_cast<Source*>(base);
        if (xcb_connection_has_error(source->connection->xcb())) {
            if (*source->lost)
                (*source->lost)();
            return G_SOURCE_REMOVE;
        }
        while (!source->pending->empty()) {
            xcb_generic_event_t* event = source->pending->front();
            source->pending->pop_front();
            // Response type 0 is an error of a request nobody waits for: expected for windows that vanish.
            if (event->response_type != 0)
                (*source->handler)(*event);
            std::free(event);
            takeQueued(source);
        }
        return G_SOURCE_CONTINUE;
    }

    static void finalize(GSource* base)
    {
        auto* source = reinterpret_cast<Source*>(base);
        for (xcb_generic_event_t* event : *source->pending)
            std::free(event);
        delete source->pending;
        delete source->handler;
        delete source->lost;
    }

    static GSourceFuncs* functions()
    {
        static GSourceFuncs table = { prepare, check, dispatch, finalize, nullptr, nullptr };
        return &table;
    }
};

X11EventSource::X11EventSource(X11Connection& connection, Handler handler, std::function<void()> lost)
{
    GSource* base = g_source_new(Source::functions(), sizeof(Source));
    m_source = reinterpret_cast<Source*>(base);
    m_source->connection = &connection;
    m_source->handler = new Handler(std::move(handler));
    m_source->lost = new std::function<void()>(std::move(lost));
    m_source->pending = new std::deque<xcb_generic_event_t*>();
    m_source->tag = g_source_add_unix_fd(
        base, xcb_get_file_descriptor(connection.xcb()), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR));
    GMainContext* context = g_main_context_ref_thread_default();
    g_source_attach(base, context);
    g_main_context_unref(context);
}

X11EventSource::~X11EventSource()
{
    g_source_destroy(&m_source->base);
    g_source_unref(&m_source->base);
}

void X11EventSource::wake()
{
    if (GMainContext* context = g_source_get_context(&m_source->base))
        g_main_context_wakeup(context);
}

} // namespace quorvane
