#include "QuorvaneApp/Views/AppKeys.h"

#include "QuorvaneApp/Platform/AppWindows.h"

namespace quorvane {

AppKeys::AppKeys(AppWindows& windows, Actions actions)
    : m_windows(windows)
    , m_actions(std::move(actions))
{
    m_windows.setKeyMonitor([this](const OwnKeyPress& key) { return handle(key); });
}

AppKeys::~AppKeys()
{
    m_windows.setKeyMonitor(nullptr);
}

bool AppKeys::handle(const OwnKeyPress& key)
{
    if (key.modifiers != std::set<HotkeyModifier> { HotkeyModifier::ctrl })
        return false;
    if (key.character == ",")
        m_actions.showSettings();
    else if (key.character == "q")
        m_actions.quit();
    else if (key.character == "w")
        m_windows.closeFrontWindow();
    else if (key.character == "m")
        m_windows.minimiseFrontWindow();
    else
        return false;
    return true;
}

} // namespace quorvane
