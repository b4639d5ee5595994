#include "Platforms/Simulated/SimulatedOverlayPanels.h"

namespace quorvane {

std::optional<SimulatedOverlayPanels::Shown> SimulatedOverlayPanels::shown(PanelKind kind) const
{
    auto found = m_shown.find(kind);
    return found == m_shown.end() ? std::nullopt : std::optional(found->second);
}

void SimulatedOverlayPanels::show(PanelKind kind, const Frame& frame, const PanelContent& content)
{
    m_shown[kind] = Shown { frame, content };
}

void SimulatedOverlayPanels::hide(PanelKind kind)
{
    m_shown.erase(kind);
}

void SimulatedOverlayPanels::setRings(const std::vector<Ring>& rings)
{
    m_rings = rings;
}

bool SimulatedOverlayPanels::pressButton(PanelKind kind)
{
    auto found = m_shown.find(kind);
    if (found == m_shown.end() || found->second.content.button.empty())
        return false;
    if (auto pressed = m_pressed)
        pressed(kind);
    return true;
}

} // namespace quorvane
