#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

typedef struct _GSource GSource;

namespace quorvane {

// Signals that GLib's own signal sources refuse (the stop signals a terminal sends, SIGPIPE) or that the
// application wants on its main loop, caught by a handler that only writes to a pipe; the pipe's reading end
// is a source on the main thread's GLib context (the default one unless the main loop pushed its own), so
// `handler` runs on the main thread; create the watch there. A caught signal returns to its default action in
// launched programs. One watch per process.
class SignalWatch {
public:
    using Handler = std::function<void(int signal)>;

    // Catches `signals` from now on. Throws std::system_error when the pipe or a handler cannot be set up.
    SignalWatch(std::initializer_list<int> signals, Handler handler);
    // Puts the signals' default actions back.
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    // Lets `signal` take its default action on this process now (a stop signal stops it, and this returns
    // once the process is continued), then catches it again.
    void actAsDefault(int signal);

private:
    void catchSignal(int signal);
    static int dispatch(int descriptor, unsigned condition, void* watch);

    std::vector<int> m_signals;
    Handler m_handler;
    int m_reader = -1;
    int m_writer = -1;
    GSource* m_source = nullptr;
};

} // namespace quorvane
