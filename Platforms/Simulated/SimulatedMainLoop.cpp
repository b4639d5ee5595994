#include "Platforms/Simulated/SimulatedMainLoop.h"

#include <chrono>

namespace quorvane {

SimulatedMainLoop::SimulatedMainLoop()
    : m_mainThread(std::this_thread::get_id())
{
}

SimulatedMainLoop::~SimulatedMainLoop()
{
    quit();
}

void SimulatedMainLoop::post(std::function<void()> work)
{
    if (m_gate.quitting())
        return;
    {
        std::lock_guard guard(m_mutex);
        m_queue.push_back(std::move(work));
    }
    m_posted.notify_all();
}

bool SimulatedMainLoop::runAndWait(std::function<void()> work, std::stop_token stop)
{
    return m_gate.callAndWait(
        isMainThread(), [this](std::function<void()> job) { post(std::move(job)); }, std::move(work), std::move(stop));
}

TimerId SimulatedMainLoop::addTimer(double seconds, bool repeating, std::function<void()> work)
{
    std::lock_guard guard(m_mutex);
    TimerId id = m_nextTimer++;
    m_timers.emplace(id, Timer { m_now + seconds, seconds, repeating, std::move(work) });
    return id;
}

void SimulatedMainLoop::cancelTimer(TimerId id)
{
    std::lock_guard guard(m_mutex);
    m_timers.erase(id);
}

double SimulatedMainLoop::now() const
{
    std::lock_guard guard(m_mutex);
    return m_now;
}

bool SimulatedMainLoop::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

void SimulatedMainLoop::run()
{
    while (!m_gate.quitting()) {
        runPending();
        std::unique_lock lock(m_mutex);
        m_posted.wait(lock, [&] { return !m_queue.empty() || m_gate.quitting(); });
    }
}

void SimulatedMainLoop::quit()
{
    m_gate.quit();
    {
        std::lock_guard guard(m_mutex);
        m_queue.clear();
    }
    m_posted.notify_all();
}

bool SimulatedMainLoop::quitting() const
{
    return m_gate.quitting();
}

int SimulatedMainLoop::runPending()
{
    int count = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard guard(m_mutex);
            if (m_queue.empty())
                return count;
            work = std::move(m_queue.front());
            m_queue.pop_front();
        }
        ++m_serving;
        work();
        --m_serving;
        ++count;
    }
}

std::optional<std::pair<TimerId, SimulatedMainLoop::Timer>> SimulatedMainLoop::takeDueTimer(double limit)
{
    std::lock_guard guard(m_mutex);
    auto earliest = m_timers.end();
    for (auto timer = m_timers.begin(); timer != m_timers.end(); ++timer) {
        if (timer->second.due <= limit && (earliest == m_timers.end() || timer->second.due < earliest->second.due))
            earliest = timer;
    }
    if (earliest == m_timers.end())
        return std::nullopt;
    auto taken = std::make_pair(earliest->first, earliest->second);
    if (m_now < taken.second.due)
        m_now = taken.second.due;
    if (taken.second.repeating)
        earliest->second.due += std::max(taken.second.interval, 1e-9);
    else
        m_timers.erase(earliest);
    return taken;
}

void SimulatedMainLoop::advance(double seconds)
{
    double limit = now() + seconds;
    runPending();
    while (auto timer = takeDueTimer(limit)) {
        ++m_serving;
        timer->second.work();
        --m_serving;
        runPending();
    }
    {
        std::lock_guard guard(m_mutex);
        if (m_now < limit)
            m_now = limit;
    }
    runPending();
}

void SimulatedMainLoop::addTime(double seconds)
{
    std::lock_guard guard(m_mutex);
    m_now += seconds;
}

bool SimulatedMainLoop::waitForWork(double realSeconds)
{
    std::unique_lock lock(m_mutex);
    return m_posted.wait_for(lock, std::chrono::duration<double>(realSeconds), [&] { return !m_queue.empty(); });
}

size_t SimulatedMainLoop::timerCount() const
{
    std::lock_guard guard(m_mutex);
    return m_timers.size();
}

std::optional<double> SimulatedMainLoop::nextTimerIn() const
{
    std::lock_guard guard(m_mutex);
    std::optional<double> next;
    for (const auto& [id, timer] : m_timers) {
        if (!next || timer.due - m_now < *next)
            next = timer.due - m_now;
    }
    return next;
}

} // namespace quorvane
