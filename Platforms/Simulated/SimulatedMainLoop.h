#pragma once

#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/QuitGate.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace quorvane {

// A main loop on a virtual clock: time moves only when the test says so, and timers fire in deadline order
// as it passes. The thread that creates the loop is its main thread.
class SimulatedMainLoop : public MainLoop {
public:
    SimulatedMainLoop();
    ~SimulatedMainLoop() override;

    void post(std::function<void()> work) override;
    bool runAndWait(std::function<void()> work, std::stop_token stop) override;
    TimerId addTimer(double seconds, bool repeating, std::function<void()> work) override;
    void cancelTimer(TimerId) override;
    double now() const override;
    bool isMainThread() const override;
    bool serving() const override { return m_serving > 0 && isMainThread(); }
    // Serves posted work until `quit`; virtual time stands still meanwhile.
    void run() override;
    void quit() override;
    bool quitting() const override;

    // Runs posted work, including work posted meanwhile, until none is left; gives how much ran.
    int runPending();
    // Moves the clock `seconds` forward, firing every timer that falls due on the way, in order, with the
    // posted work after each.
    void advance(double seconds);
    // Moves the clock without firing anything, as a slow call does. Callable from any thread.
    void addTime(double seconds);
    // Waits up to `realSeconds` of real time for work posted from another thread; true when some is queued.
    bool waitForWork(double realSeconds);
    // How many timers are scheduled.
    size_t timerCount() const;
    // Seconds until the next timer falls due, if any.
    std::optional<double> nextTimerIn() const;

private:
    struct Timer {
        double due = 0;
        double interval = 0;
        bool repeating = false;
        std::function<void()> work;
    };

    std::optional<std::pair<TimerId, Timer>> takeDueTimer(double limit);

    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_queue;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimer = 1;
    double m_now = 0;
    std::thread::id m_mainThread;
    QuitGate m_gate;
    // Pieces of work under way on the main thread.
    int m_serving = 0;
};

} // namespace quorvane
