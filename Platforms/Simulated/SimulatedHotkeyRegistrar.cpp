#include "Platforms/Simulated/SimulatedHotkeyRegistrar.h"

#include "Platforms/Simulated/SimulatedMainLoop.h"

namespace quorvane {

SimulatedHotkeyRegistrar::SimulatedHotkeyRegistrar(MainLoop& loop)
    : m_loop(loop)
{
}

void SimulatedHotkeyRegistrar::refuse(const KeyChord& chord)
{
    m_refused.insert(chord);
}

void SimulatedHotkeyRegistrar::refuseOnce(const KeyChord& chord)
{
    m_refusedOnce.insert(chord);
}

bool SimulatedHotkeyRegistrar::press(const KeyChord& chord)
{
    for (const auto& [id, registered] : m_registrations) {
        if (registered == chord) {
            if (m_pressHandler)
                m_loop.post([handler = m_pressHandler, id = id] { handler(id); });
            return true;
        }
    }
    return false;
}

bool SimulatedHotkeyRegistrar::registerChord(uint32_t id, const KeyChord& chord)
{
    ++m_attempts;
    if (m_refused.contains(chord) || m_refusedOnce.erase(chord) > 0)
        return false;
    for (const auto& [other, registered] : m_registrations) {
        if (registered == chord)
            return false;
    }
    m_registrations[id] = chord;
    return true;
}

void SimulatedHotkeyRegistrar::unregisterChord(uint32_t id)
{
    m_registrations.erase(id);
}

void SimulatedHotkeyRegistrar::setPressHandler(std::function<void(uint32_t id)> handler)
{
    m_pressHandler = std::move(handler);
}

} // namespace quorvane
