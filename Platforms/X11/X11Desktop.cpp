#include "Platforms/X11/X11Desktop.h"

#include "Platforms/GLib/DesktopApplications.h"
#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11HotkeyRegistrar.h"
#include "Platforms/X11/X11KeyboardTap.h"
#include "Platforms/X11/X11Permissions.h"
#include "Platforms/X11/X11WindowSystem.h"

namespace quorvane {

struct X11Desktop::Parts {
    X11Connection connection;
    X11WindowSystem windowSystem;
    // Keys have connections of their own: the tap answers frozen keys on its own thread, and the chords'
    // grabs must not collide with the tap's.
    X11HotkeyRegistrar hotkeys { connection.displayName() };
    X11KeyboardTap keyboardTap { connection.displayName() };
    X11Permissions permissions { connection, keyboardTap };
    DesktopApplications applications;

    Parts(MainLoop& mainLoop, const std::string& displayName)
        : connection(displayName)
        , windowSystem(connection, mainLoop)
        , applications(windowSystem, mainLoop, [this](WindowHandle window) { windowSystem.minimize(window); })
    {
    }
};

X11Desktop::X11Desktop(MainLoop& mainLoop, const std::string& displayName)
    : m_parts(std::make_unique<Parts>(mainLoop, displayName))
{
}

X11Desktop::~X11Desktop() = default;

WindowSystem& X11Desktop::windowSystem()
{
    return m_parts->windowSystem;
}

Permissions& X11Desktop::permissions()
{
    return m_parts->permissions;
}

Applications& X11Desktop::applications()
{
    return m_parts->applications;
}

HotkeyRegistrar& X11Desktop::hotkeys()
{
    return m_parts->hotkeys;
}

KeyboardTap& X11Desktop::keyboardTap()
{
    return m_parts->keyboardTap;
}

void X11Desktop::setConnectionLostHandler(std::function<void()> handler)
{
    m_parts->windowSystem.setConnectionLostHandler(std::move(handler));
}

} // namespace quorvane
