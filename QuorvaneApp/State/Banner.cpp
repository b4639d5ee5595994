#include "QuorvaneApp/State/Banner.h"

namespace quorvane {

void Banner::setBanner(std::string text, bool success)
{
    bool changed = text != m_text || (!m_holdTone && success != m_success);
    m_text = std::move(text);
    if (!m_holdTone)
        m_success = success;
    if (!m_text.empty() && m_observer)
        m_observer(m_text);
    if (changed && m_changed)
        m_changed();
}

void Banner::clear()
{
    if (m_text.empty())
        return;
    m_text.clear();
    if (m_changed)
        m_changed();
}

} // namespace quorvane
