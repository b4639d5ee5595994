#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

class BannerSink;
class ConfigLifecycle;
struct RPCResponse;
struct SavedShortcut;

// The settings window's hotkey edits. Each runs the command line's own `hotkey set` or `hotkey unset` through
// the application's request handler, so parsing, conflict checks, storage and messages are the command line's, and
// reports the outcome in the banner. Main thread only.
class HotkeyEdits {
public:
    // Runs one command line as the socket does, and gives its answer.
    using RequestHandler = std::function<RPCResponse(const std::vector<std::string>& arguments)>;

    HotkeyEdits(RequestHandler, ConfigLifecycle&, BannerSink&);

    // A row of the settings list: a web app's hotkey, or replaces (a blank chord: removes) an application hotkey.
    void setShortcutHotkey(const SavedShortcut&, const std::string& chord);
    // A blank chord removes the web app's hotkey.
    void setAppHotkey(const std::string& slug, const std::string& chord);
    void setNativeHotkey(const std::string& chord, const std::string& bundle);
    // Binds the new chord first and removes the old one only once that worked, so a refused chord keeps the
    // old hotkey; a new chord that is the old one written differently removes nothing.
    void replaceNativeHotkey(const std::string& oldChord, const std::string& newChord, const std::string& bundle);
    void unsetHotkey(const std::string& chord);

    static constexpr const char* needsChordAndApp = "A hotkey needs a chord and an app.";

private:
    RPCResponse execute(const std::vector<std::string>& arguments);
    // A failure's message in the error tone; a success clears the banner or shows its message.
    void report(const RPCResponse&);
    void run(const std::vector<std::string>& arguments);

    RequestHandler m_handler;
    ConfigLifecycle& m_configuration;
    BannerSink& m_banner;
};

} // namespace quorvane
