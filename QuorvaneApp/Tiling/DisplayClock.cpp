#include "QuorvaneApp/Tiling/DisplayClock.h"

#include "QuorvaneApp/Platform/WindowSystem.h"

#include <algorithm>
#include <utility>

namespace quorvane {

namespace {

constexpr double preferredRate = 120;
constexpr double fallbackRate = 60;

} // namespace

DisplayClock::DisplayClock(MainLoop& loop, WindowSystem& windows)
    : m_loop(loop)
    , m_windows(windows)
{
}

DisplayClock::~DisplayClock()
{
    stop();
}

void DisplayClock::setOnFrame(std::function<void(double)> onFrame)
{
    m_onFrame = std::move(onFrame);
}

double DisplayClock::interval(double hertz)
{
    double rate = hertz > 0 ? std::clamp(hertz, fallbackRate, preferredRate) : fallbackRate;
    return 1 / rate;
}

void DisplayClock::start()
{
    if (m_timer)
        return;
    // Without a display the rate is unknown (0), which `interval` already takes for the fallback rate.
    m_timer = m_loop.addTimer(interval(m_windows.refreshRate()), true, [this] { fire(); });
    m_firstTick = m_loop.addTimer(0, false, [this] {
        m_firstTick = 0;
        fire();
    });
}

void DisplayClock::stop()
{
    if (m_timer)
        m_loop.cancelTimer(std::exchange(m_timer, 0));
    if (m_firstTick)
        m_loop.cancelTimer(std::exchange(m_firstTick, 0));
}

void DisplayClock::fire()
{
    if (m_onFrame)
        m_onFrame(m_loop.now());
}

} // namespace quorvane
