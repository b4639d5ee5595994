#pragma once

namespace quorvane {

class AppWindows;
class Applications;
class FileWatcher;
class HotkeyRegistrar;
class KeyboardTap;
class LoginItem;
class MainLoop;
class OverlayPanels;
class Permissions;
class StatusItem;
class WindowSystem;
class WorkerPool;

// Everything the application gets from the desktop it runs on. The backend owns each part and keeps it
// alive longer than the model.
struct Platform {
    MainLoop& mainLoop;
    WindowSystem& windowSystem;
    WorkerPool& workers;
    Applications& applications;
    HotkeyRegistrar& hotkeys;
    KeyboardTap& keyboardTap;
    FileWatcher& fileWatcher;
    Permissions& permissions;
    OverlayPanels& overlay;
    LoginItem& loginItem;
    StatusItem& statusItem;
    AppWindows& appWindows;
};

} // namespace quorvane
