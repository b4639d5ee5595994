#include "Platforms/GLib/SignalWatch.h"

#include <glib-unix.h>
#include <glib.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace quorvane {

namespace {

// The pipe's writing end, for the handler, which may run on any thread.
std::atomic<int> signalPipe { -1 };

extern "C" void noteSignal(int signal)
{
    int saved = errno;
    unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds signals enough to wake the main loop; this one may go.
    [[maybe_unused]] ssize_t written = ::write(signalPipe.load(), &number, 1);
    errno = saved;
}

void setDisposition(int signal, void (*handler)(int))
{
    struct sigaction action { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Calls interrupted on other threads carry on instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    if (::sigaction(signal, &action, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "Could not set up signal " + std::to_string(signal));
}

} // namespace

SignalWatch::SignalWatch(std::initializer_list<int> signals, Handler handler)
    : m_signals(signals)
    , m_handler(std::move(handler))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "Could not make the signal pipe");
    m_reader = ends[0];
    m_writer = ends[1];
    int expected = -1;
    if (!signalPipe.compare_exchange_strong(expected, m_writer)) {
        ::close(m_reader);
        ::close(m_writer);
        throw std::logic_error("Only one signal watch may run at a time.");
    }
    m_source = g_unix_fd_source_new(m_reader, G_IO_IN);
    GUnixFDSourceFunc callback
        = [](int fd, GIOCondition condition, void* self) -> gboolean { return dispatch(fd, condition, self); };
    g_source_set_callback(m_source, G_SOURCE_FUNC(callback), this, nullptr);
    // The main loop's context: GLib's default one, unless the loop has pushed its own for this thread.
    GMainContext* context = g_main_context_ref_thread_default();
    g_source_attach(m_source, context);
    g_main_context_unref(context);
    for (int signal : m_signals)
        catchSignal(signal);
}

SignalWatch::~SignalWatch()
{
    for (int signal : m_signals) {
        struct sigaction action { };
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
    g_source_destroy(m_source);
    g_source_unref(m_source);
    signalPipe.store(-1);
    ::close(m_reader);
    ::close(m_writer);
}

void SignalWatch::catchSignal(int signal)
{
    setDisposition(signal, noteSignal);
}

void SignalWatch::actAsDefault(int signal)
{
    setDisposition(signal, SIG_DFL);
    ::raise(signal);
    catchSignal(signal);
}

int SignalWatch::dispatch(int descriptor, unsigned, void* watch)
{
    auto* self = static_cast<SignalWatch*>(watch);
    unsigned char numbers[64];
    ssize_t count;
    while ((count = ::read(descriptor, numbers, sizeof numbers)) > 0) {
        for (ssize_t index = 0; index < count; ++index)
            self->m_handler(numbers[index]);
    }
    return G_SOURCE_CONTINUE;
}

} // namespace quorvane
