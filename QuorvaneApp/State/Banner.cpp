#include "QuorvaneApp/State/Banner.h"

namespace quorvane {

void Banner::setBanner(std::string text, bool success)
{
    m_text = std::move(text);
    if (!m_holdTone)
        m_success = success;
    if (!m_text.empty() && m_observer)
        m_observer(m_text);
}

} // namespace quorvane
