#include "Platforms/Simulated/SimulatedKeyboardTap.h"

#include "Platforms/Simulated/SimulatedMainLoop.h"

namespace quorvane {

SimulatedKeyboardTap::SimulatedKeyboardTap(MainLoop& loop)
    : m_loop(loop)
{
}

void SimulatedKeyboardTap::setAvailable(bool available)
{
    std::lock_guard guard(m_mutex);
    m_available = available;
}

bool SimulatedKeyboardTap::type(const KeyEvent& event)
{
    Handler handler;
    {
        std::lock_guard guard(m_mutex);
        if (m_running)
            handler = m_handler;
    }
    bool swallowed = handler && handler(event);
    if (!swallowed) {
        std::lock_guard guard(m_mutex);
        m_passed.push_back(event);
    }
    return swallowed;
}

void SimulatedKeyboardTap::script(const std::vector<ScriptedKey>& keys)
{
    double at = 0;
    for (const ScriptedKey& key : keys) {
        at += key.delay;
        m_loop.addTimer(at, false, [this, event = key.event] { type(event); });
    }
}

std::vector<KeyEvent> SimulatedKeyboardTap::passedThrough() const
{
    std::lock_guard guard(m_mutex);
    return m_passed;
}

KeyInterest SimulatedKeyboardTap::interest() const
{
    std::lock_guard guard(m_mutex);
    return m_interest;
}

bool SimulatedKeyboardTap::available()
{
    std::lock_guard guard(m_mutex);
    return m_available;
}

bool SimulatedKeyboardTap::start(Handler handler)
{
    std::lock_guard guard(m_mutex);
    if (m_running)
        return true;
    if (!m_available)
        return false;
    m_handler = std::move(handler);
    m_running = true;
    return true;
}

bool SimulatedKeyboardTap::running()
{
    std::lock_guard guard(m_mutex);
    return m_running;
}

void SimulatedKeyboardTap::setInterest(const KeyInterest& interest)
{
    std::lock_guard guard(m_mutex);
    m_interest = interest;
}

} // namespace quorvane
