#pragma once

#include "QuorvaneApp/Platform/MainLoop.h"

#include <functional>

namespace quorvane {

class WindowSystem;

// The tick source of animations: a repeating main-loop timer at the main display's refresh rate, kept
// between 60 and 120 Hz (60 when the rate is unknown). Main thread only.
class DisplayClock {
public:
    DisplayClock(MainLoop&, WindowSystem&);
    ~DisplayClock();
    DisplayClock(const DisplayClock&) = delete;
    DisplayClock& operator=(const DisplayClock&) = delete;

    // Called with the main loop's time at every tick.
    void setOnFrame(std::function<void(double timestamp)>);
    // Starts ticking, the first tick at once rather than one frame late; a running clock is left alone.
    void start();
    void stop();
    bool running() const { return m_timer != 0; }
    // Seconds between ticks for a display refreshing at `hertz`.
    static double interval(double hertz);

private:
    void fire();

    MainLoop& m_loop;
    WindowSystem& m_windows;
    std::function<void(double)> m_onFrame;
    TimerId m_timer = 0;
    TimerId m_firstTick = 0;
};

} // namespace quorvane
