#include "Platforms/KWin/KWinDesktop.h"

#include "Platforms/GLib/DesktopApplications.h"
#include "Platforms/KWin/KWinConnection.h"
#include "Platforms/KWin/KWinKeyboardTap.h"
#include "Platforms/KWin/KWinPermissions.h"
#include "Platforms/KWin/KWinShortcuts.h"
#include "Platforms/KWin/KWinWindowSystem.h"

namespace quorvane {

struct KWinDesktop::Parts {
    KWinConnection connection;
    KWinWindowSystem windowSystem;
    KWinPermissions permissions { connection, windowSystem };
    DesktopApplications applications;
    KWinShortcuts hotkeys;
    KWinKeyboardTap keyboardTap;

    Parts(MainLoop& mainLoop, const std::string& scriptFolder, const std::string& scriptName)
        : windowSystem(connection, mainLoop, scriptFolder, scriptName)
        , applications(windowSystem, mainLoop, [this](WindowHandle window) { windowSystem.minimize(window); })
        , hotkeys(connection, mainLoop, scriptFolder, scriptName)
        , keyboardTap(connection, scriptFolder, scriptName)
    {
        windowSystem.start();
    }
};

KWinDesktop::KWinDesktop(MainLoop& mainLoop, const std::string& scriptFolder, const std::string& scriptName)
    : m_parts(std::make_unique<Parts>(mainLoop, scriptFolder, scriptName))
{
}

KWinDesktop::~KWinDesktop() = default;

bool KWinDesktop::kwinOnSessionBus()
{
    return KWinConnection::kwinOnSessionBus();
}

std::string KWinDesktop::desktopName() const
{
    return m_parts->connection.supportInfo().desktopName();
}

std::string KWinDesktop::busName() const
{
    return m_parts->connection.uniqueName();
}

WindowSystem& KWinDesktop::windowSystem()
{
    return m_parts->windowSystem;
}

Permissions& KWinDesktop::permissions()
{
    return m_parts->permissions;
}

Applications& KWinDesktop::applications()
{
    return m_parts->applications;
}

HotkeyRegistrar& KWinDesktop::hotkeys()
{
    return m_parts->hotkeys;
}

KeyboardTap& KWinDesktop::keyboardTap()
{
    return m_parts->keyboardTap;
}

void KWinDesktop::placeOwnWindow(const std::string& title, const Frame& frame)
{
    m_parts->windowSystem.placeOwnWindow(title, frame);
}

void KWinDesktop::setConnectionLostHandler(std::function<void()> handler)
{
    m_parts->connection.setLostHandler(std::move(handler));
}

} // namespace quorvane
