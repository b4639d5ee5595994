#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

namespace quorvane {

// Identifies one timer of a main loop; 0 is never a timer.
using TimerId = uint64_t;

// The application's one main thread: everything that touches the model runs here, in order.
class MainLoop {
public:
    virtual ~MainLoop() = default;

    // Runs `work` on the main thread later, after the work posted before it. Callable from any thread;
    // work posted once the loop is quitting is dropped.
    virtual void post(std::function<void()> work) = 0;
    // Runs `work` on the main thread and waits until it has run. On the main thread it runs at once. Returns
    // false without running it when the loop is quitting, or `stop` is requested, before the main thread
    // starts it, so a request in flight never holds up a stop.
    virtual bool runAndWait(std::function<void()> work, std::stop_token stop) = 0;
    // Calls `work` on the main thread `seconds` from now, and then every `seconds` when `repeating`.
    // Main thread only.
    virtual TimerId addTimer(double seconds, bool repeating, std::function<void()> work) = 0;
    // Stops a timer; an unknown or finished one is ignored. Main thread only.
    virtual void cancelTimer(TimerId) = 0;
    // Monotonic seconds; virtual in a simulation. Callable from any thread.
    virtual double now() const = 0;
    // Whether the caller runs on the main thread.
    virtual bool isMainThread() const = 0;
    // Whether the caller is the main thread running one piece of work the loop handed it (posted work, a
    // timer, an event): what a backend may remember for the rest of that piece of work.
    virtual bool serving() const = 0;
    // Serves posted work and timers on the calling thread (the main thread) until `quit`.
    virtual void run() = 0;
    // Makes `run` return and every waiting or later `runAndWait` answer false. Callable from any thread.
    virtual void quit() = 0;
    // Whether `quit` was called.
    virtual bool quitting() const = 0;
};

} // namespace quorvane
