#pragma once

#include "QuorvaneApp/Platform/KeyboardTap.h"

#include <map>
#include <string>

namespace quorvane {

class KWinConnection;

// The keys tile mode and the leader key need, as KWin shortcuts of a script that is loaded while they matter:
// the leader key always (when there is one), the bare keys while tile mode is on or the leader is armed.
// Unloading the script gives the keys back to the application in front. KWin delivers only the keys asked
// for, so no other key is seen, keys held down do not repeat and Caps Lock's lock state is not read. Main
// thread only; the handler runs on the main thread.
class KWinKeyboardTap : public KeyboardTap {
public:
    static constexpr const char* objectPath = "/org/quorvane/KWinKeys";
    static constexpr const char* interfaceName = "org.quorvane.KWinKeys";

    // The script is written to `scriptFolder` and loaded as `scriptName` + "-keys".
    KWinKeyboardTap(KWinConnection&, std::string scriptFolder, std::string scriptName);
    ~KWinKeyboardTap() override;
    KWinKeyboardTap(const KWinKeyboardTap&) = delete;
    KWinKeyboardTap& operator=(const KWinKeyboardTap&) = delete;

    // The name under which the bare key's shortcut is listed while it matters ("Quorvane key F").
    static std::string shortcutName(const std::string& sequence) { return "Quorvane key " + sequence; }

    bool available() override { return true; }
    bool start(Handler handler) override;
    bool running() override { return static_cast<bool>(m_handler); }
    // Loads the script for the keys that matter now, or unloads it when none do.
    void setInterest(const KeyInterest&) override;

private:
    struct Calls;
    friend struct Calls;

    void pressed(const std::string& token, uint32_t keyCode);
    void load(const std::map<uint32_t, std::string>& sequences);
    void unload();

    KWinConnection& m_connection;
    std::string m_scriptFolder;
    std::string m_scriptName;
    unsigned m_registration = 0;
    Handler m_handler;
    KeyInterest m_interest;
    bool m_loaded = false;
    uint64_t m_loads = 0;
    std::string m_token;
};

} // namespace quorvane
