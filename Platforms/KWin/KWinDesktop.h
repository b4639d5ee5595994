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
struct Frame;

// The parts of a KDE Plasma desktop on Wayland that this backend provides, through KWin on the session bus:
// windows, displays and motion, permissions, applications, and keys as KWin's global shortcuts: chords always,
// tile mode's and the leader's keys while they matter. Create
// it on the main thread after the main loop.
class KWinDesktop {
public:
    // Connects to KWin, loads Quorvane's script into it as `scriptName` (written to `scriptFolder`) and waits
    // until the script has listed the windows; throws std::system_error when KWin is not on the session bus
    // or does not run the script.
    KWinDesktop(MainLoop&, const std::string& scriptFolder, const std::string& scriptName = "quorvane");
    ~KWinDesktop();

    // Whether KWin is on the session bus, without connecting for longer than it takes to ask.
    static bool kwinOnSessionBus();

    // "KDE Plasma (KWin 5.27) on Wayland".
    std::string desktopName() const;
    // The application's unique name on the session bus, where KWin's script reports.
    std::string busName() const;
    WindowSystem& windowSystem();
    Permissions& permissions();
    Applications& applications();
    HotkeyRegistrar& hotkeys();
    KeyboardTap& keyboardTap();
    // Places the application's own overlay window called `title` (a Wayland client cannot place itself).
    void placeOwnWindow(const std::string& title, const Frame& frame);
    // `handler` runs on the main thread when KWin leaves the session bus or the bus goes away.
    void setConnectionLostHandler(std::function<void()> handler);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace quorvane
