#pragma once

#include "QuorvaneApp/Platform/HotkeyRegistrar.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WeakSelf.h"

#include <map>
#include <string>

namespace quorvane {

class KWinConnection;

// Chords as KWin's global shortcuts: each is a small script of ours that registers the chord with KWin under
// Quorvane's name (so Plasma's shortcut settings list it) and calls an object exported here when it is
// pressed. Unloading the script releases the chord. Main thread only.
class KWinShortcuts : public HotkeyRegistrar {
public:
    // The object the shortcut scripts call.
    static constexpr const char* objectPath = "/org/quorvane/KWinShortcuts";
    static constexpr const char* interfaceName = "org.quorvane.KWinShortcuts";

    // Scripts are written to `scriptFolder` and loaded under names starting with `scriptName`.
    KWinShortcuts(KWinConnection&, MainLoop&, std::string scriptFolder, std::string scriptName);
    ~KWinShortcuts() override;
    KWinShortcuts(const KWinShortcuts&) = delete;
    KWinShortcuts& operator=(const KWinShortcuts&) = delete;

    // Loads the chord's script; false when the key has no name KWin knows, another id holds the same chord, KWin
    // refuses the script, or KWin's shortcut service gives the chord no key because another shortcut holds it.
    bool registerChord(uint32_t id, const KeyChord& chord) override;
    void unregisterChord(uint32_t id) override;
    void setPressHandler(std::function<void(uint32_t id)> handler) override { m_handler = std::move(handler); }

    // The name under which the chord's shortcut is listed ("Quorvane Meta+Alt+T").
    static std::string shortcutName(const std::string& sequence);

private:
    struct Calls;
    friend struct Calls;

    struct Registration {
        std::string scriptName;
        std::string token;
        std::string sequence;
    };

    void pressed(const std::string& token);
    // Whether KWin's shortcut service gave the shortcut a key; true when the service cannot be asked.
    bool holdsKey(const std::string& name);

    KWinConnection& m_connection;
    MainLoop& m_mainLoop;
    std::string m_scriptFolder;
    std::string m_scriptName;
    unsigned m_registration = 0;
    uint64_t m_loads = 0;
    std::map<uint32_t, Registration> m_registered;
    std::function<void(uint32_t)> m_handler;
    WeakSelf<KWinShortcuts> m_self { *this };
};

} // namespace quorvane
