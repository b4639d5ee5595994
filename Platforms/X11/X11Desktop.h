#pragma once

#include <functional>
#include <memory>
#include <string>

namespace quorvane {

class Applications;
class HotkeyRegistrar;
class KeyboardTap;
class MainLoop;
class Permissions;
class WindowSystem;

// The parts of an X11 desktop that this backend provides, over one connection. Create it on the main
// thread after the main loop.
class X11Desktop {
public:
    // Connects to `displayName` ($DISPLAY when empty); throws std::system_error when no X server answers.
    X11Desktop(MainLoop&, const std::string& displayName = {});
    ~X11Desktop();

    WindowSystem& windowSystem();
    Permissions& permissions();
    Applications& applications();
    HotkeyRegistrar& hotkeys();
    KeyboardTap& keyboardTap();
    // `handler` runs on the main thread when the X server goes away.
    void setConnectionLostHandler(std::function<void()> handler);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace quorvane
