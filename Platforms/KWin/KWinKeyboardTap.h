#pragma once

#include "QuorvaneApp/Platform/KeyboardTap.h"

#include <cstdint>
#include <map>
#include <string>

namespace quorvane {

class KWinConnection;

// The keys tile mode and the leader key need, as KWin shortcuts of two scripts loaded while they matter: one
// holds the leader key whenever there is one; the other holds tile mode's keys while it is on and the keys
// that complete a leader chord (also with Shift) while the leader is armed, so a leader press loads its
// second keys within the leader's wait.
// Unloading a script gives its keys back to the application in front. KWin delivers only the keys asked for,
// so no other key is seen (one that completes no leader chord does not end the wait), keys held down do not
// repeat and Caps Lock's lock state still changes. Main thread only; the handler runs on the main thread.
class KWinKeyboardTap : public KeyboardTap {
public:
    static constexpr const char* objectPath = "/org/quorvane/KWinKeys";
    static constexpr const char* interfaceName = "org.quorvane.KWinKeys";

    // The scripts are written to `scriptFolder` and loaded as `scriptName` + "-keys" and + "-leader".
    KWinKeyboardTap(KWinConnection&, std::string scriptFolder, std::string scriptName);
    ~KWinKeyboardTap() override;
    KWinKeyboardTap(const KWinKeyboardTap&) = delete;
    KWinKeyboardTap& operator=(const KWinKeyboardTap&) = delete;

    // The name under which a key's shortcut is listed while it matters ("Quorvane key F", "Quorvane key
    // Shift+F").
    static std::string shortcutName(const std::string& sequence) { return "Quorvane key " + sequence; }
    // The name of the leader key's shortcut ("Quorvane leader CapsLock").
    static std::string leaderShortcutName(const std::string& sequence) { return "Quorvane leader " + sequence; }

    bool available() override { return true; }
    bool start(Handler handler) override;
    bool running() override { return static_cast<bool>(m_handler); }
    // Loads the scripts for the keys that matter now, and unloads those no key needs.
    void setInterest(const KeyInterest&) override;

private:
    struct Calls;
    friend struct Calls;

    // What one shortcut reports: the key's code and whether Shift is part of it.
    struct Key {
        uint32_t keyCode = 0;
        bool shift = false;
        friend bool operator==(const Key&, const Key&) = default;
    };
    // One script of shortcuts, by its key sequence ("Shift+H"), loaded under `name`.
    struct Script {
        std::string name;
        std::map<std::string, Key> keys;
        // Tells this load's calls from those of an earlier one; empty while unloaded.
        std::string token;
    };

    void pressed(const std::string& token, uint32_t keyCode, bool shift);
    void sync(Script&, const std::map<std::string, Key>& keys);
    void load(Script&);
    void unload(Script&);

    KWinConnection& m_connection;
    std::string m_scriptFolder;
    unsigned m_registration = 0;
    Handler m_handler;
    KeyInterest m_interest;
    uint64_t m_loads = 0;
    Script m_leader;
    Script m_keys;
};

} // namespace quorvane
