#pragma once

#include <functional>

namespace quorvane {

class AppWindows;
struct OwnKeyPress;

// The application's own keys, in its own windows only: ctrl+comma opens the settings, ctrl+q quits, ctrl+w
// closes the window and ctrl+m minimises it (ctrl standing for the command key of other desktops). Each is
// swallowed even when there is nothing to act on; every other key passes. Main thread only.
class AppKeys {
public:
    struct Actions {
        std::function<void()> showSettings;
        // Ends the application as its Quit line does.
        std::function<void()> quit;
    };

    // Watches the keys of `windows` until it goes.
    AppKeys(AppWindows& windows, Actions);
    ~AppKeys();
    AppKeys(const AppKeys&) = delete;
    AppKeys& operator=(const AppKeys&) = delete;

    // Acts on `key` if it is one of the four; answers whether it was.
    bool handle(const OwnKeyPress& key);

private:
    AppWindows& m_windows;
    Actions m_actions;
};

} // namespace quorvane
