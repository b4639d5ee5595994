#include "QuorvaneApp/Views/AgentToast.h"

#include "QuorvaneApp/Platform/OverlayPanels.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr double panelMargin = 24;
constexpr double maximumWidth = 420;
constexpr double height = 72;
constexpr double topInset = 28;

} // namespace

AgentToast::AgentToast(MainLoop& loop, OverlayPanels& panels, WindowAccess& access)
    : m_loop(loop)
    , m_panels(panels)
    , m_access(access)
{
}

AgentToast::~AgentToast()
{
    if (m_timer)
        m_loop.cancelTimer(m_timer);
}

void AgentToast::show(const std::string& terminalName, const std::string& command)
{
    m_text = "Opening " + command + " in " + terminalName;
    m_detail.clear();
    if (std::optional<DisplayFacts> display = m_access.mainScreen()) {
        const Frame& area = display->visibleFrame;
        double width = std::min(area.width - panelMargin, maximumWidth);
        Frame frame { area.x + (area.width - width) / 2, area.y + topInset, width, height };
        m_panels.show(PanelKind::toast, frame, PanelContent { m_text, m_detail, {}, {} });
    }
    if (m_timer)
        m_loop.cancelTimer(m_timer);
    m_timer = m_loop.addTimer(seconds, false, [this] {
        m_timer = 0;
        m_panels.hide(PanelKind::toast);
    });
}

} // namespace quorvane
