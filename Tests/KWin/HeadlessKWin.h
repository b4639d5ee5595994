#pragma once

#include "X11/VirtualDesktop.h"

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {
class GLibMainLoop;
class KWinDesktop;
struct WindowFacts;
} // namespace quorvane

namespace quorvane::test {

// The private KDE Plasma desktop of scripts/kwin-desktop.sh (a headless KWin with Xwayland on a private session
// bus), its environment applied to this process so that everything started from here runs on it. When KWin
// cannot run on this machine, `skipReason` says why and nothing is started.
class HeadlessKWin {
public:
    HeadlessKWin();
    ~HeadlessKWin();
    HeadlessKWin(const HeadlessKWin&) = delete;
    HeadlessKWin& operator=(const HeadlessKWin&) = delete;

    const std::optional<std::string>& skipReason() const { return m_skipReason; }
    pid_t kwin() const { return m_kwin; }
    // Stops the desktop now; the destructor then does nothing.
    void stop();

private:
    std::optional<std::string> m_skipReason;
    std::string m_environmentFile;
    pid_t m_kwin = 0;
};

// A native Wayland GTK window of `quorvane-gtk-test-window`, shown.
struct WaylandWindow {
    WaylandWindow(const std::string& applicationId, const std::string& title, const std::string& size = "500x400");
    ChildProcess process;
};

// KWin's windows as this process's own KWin backend reads them (a script of its own, "quorvane-test"): what the
// frames of other programs' windows are now.
class KWinReader {
public:
    KWinReader();
    ~KWinReader();

    // The listed windows once the reports that have arrived are taken in.
    std::vector<WindowFacts> windows();
    // The first listed window of the application, or with that title, when there is one.
    std::optional<WindowFacts> windowOf(const std::string& applicationIdOrTitle);
    KWinDesktop& desktop() { return *m_desktop; }
    // Takes in whatever has arrived for the backend, without waiting.
    void turn();

private:
    std::unique_ptr<GLibMainLoop> m_loop;
    std::unique_ptr<KWinDesktop> m_desktop;
};

// Fires Quorvane's KWin shortcut for the key sequence ("Ctrl+Alt+G") as Plasma's settings do, through KWin's
// shortcut service; false when the service does not take the call.
bool invokeShortcut(const std::string& sequence);
// Fires the KWin shortcut called `name`. KWin's shortcut service answers alike whether or not there is one.
bool invokeShortcutNamed(const std::string& name);
// Whether KWin lists a shortcut called `name`.
bool shortcutListed(const std::string& name);
// Types the evdev key codes through KWin's fake-input protocol: pressed in order, released in reverse
// ({ 29, 56, 33 } is Ctrl+Alt+F); false when the helper could not type them.
bool typeKeys(const std::vector<uint32_t>& evdevCodes);
// Clicks the left button at `x`, `y` of the display through KWin's fake-input protocol.
bool clickAt(double x, double y);
// Whether KWin has a script loaded under `name`.
bool kwinScriptLoaded(const std::string& name);

} // namespace quorvane::test
