#pragma once

#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/QuitGate.h"

#include <map>
#include <memory>
#include <thread>

namespace quorvane {

// The main loop on GLib's default main context. The thread that creates it is the main thread.
class GLibMainLoop : public MainLoop {
public:
    GLibMainLoop();
    ~GLibMainLoop() override;
    GLibMainLoop(const GLibMainLoop&) = delete;
    GLibMainLoop& operator=(const GLibMainLoop&) = delete;

    void post(std::function<void()> work) override;
    bool runAndWait(std::function<void()> work, std::stop_token stop) override;
    TimerId addTimer(double seconds, bool repeating, std::function<void()> work) override;
    void cancelTimer(TimerId) override;
    double now() const override;
    bool isMainThread() const override;
    bool serving() const override;
    void run() override;
    void quit() override;
    bool quitting() const override;

    // Calls `handler` on the main thread when the process receives SIGINT or SIGTERM.
    void onTerminationSignal(std::function<void()> handler);

private:
    struct Loop;
    struct TimerSource;

    std::unique_ptr<Loop> m_loop;
    std::thread::id m_mainThread;
    QuitGate m_gate;
    // Main thread only: the GLib source of each live timer.
    std::map<TimerId, unsigned> m_timers;
    TimerId m_nextTimer = 1;
    std::function<void()> m_signalHandler;
};

} // namespace quorvane
