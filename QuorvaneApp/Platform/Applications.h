#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// One running application.
struct RunningApplication {
    // Its identifier ("org.gnome.TextEditor", the desktop file's name); empty when it has none.
    std::string bundleIdentifier;
    int32_t pid = 0;
    std::string name;
    // An ordinary application with windows of its own, as opposed to a background agent or panel.
    bool regular = true;
    bool hidden = false;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// An application installed on the desktop, as its launcher shows it.
struct InstalledApplication {
    std::string bundleIdentifier;
    std::string name;

    friend bool operator==(const InstalledApplication&, const InstalledApplication&) = default;
};

// The desktop's applications: which run, which is in front, and launching, raising and hiding them.
// Main thread only.
class Applications {
public:
    virtual ~Applications() = default;

    // Every running application, in the platform's order.
    virtual std::vector<RunningApplication> running() = 0;
    // The application in front (owner of the focused window), if any.
    virtual std::optional<RunningApplication> frontmost() = 0;
    // Brings the application forward.
    virtual void activate(int32_t pid) = 0;
    // Hides every window of the application.
    virtual void hide(int32_t pid) = 0;
    // The applications the desktop's launcher offers, in its order; none where the desktop cannot tell.
    virtual std::vector<InstalledApplication> installed() { return {}; }
    // Where the application with this identifier is installed (a path or a desktop file), or none.
    virtual std::optional<std::string> locate(const std::string& bundleIdentifier) = 0;
    // Launches (or activates) the application at `location`: a desktop entry file, or an executable file
    // (a web app's host when its entry is missing). False when it cannot be started.
    virtual bool open(const std::string& location) = 0;
    // Runs the executable script `script` in the terminal application at `terminalLocation` (as `locate` gives
    // it) and brings that terminal to the front; without a location, in the desktop's default terminal. False
    // when nothing could be started; what the script then does is not awaited.
    virtual bool openInTerminal(const std::string& script, const std::optional<std::string>& terminalLocation)
    {
        (void)script;
        (void)terminalLocation;
        return false;
    }
    // Opens the http or https address `url` with the desktop's handler for it (the default web browser).
    // False when no handler could be started.
    virtual bool openURL(const std::string& url)
    {
        (void)url;
        return false;
    }
    // `handler` is posted to the main loop with each application that quits, and is looked up when the post
    // runs; an empty handler stops the watch.
    virtual void setQuitHandler(std::function<void(const RunningApplication&)> handler) = 0;
    // The process id of this application itself.
    virtual int32_t ownPid() = 0;
};

} // namespace quorvane
