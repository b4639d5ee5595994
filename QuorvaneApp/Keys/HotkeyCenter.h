#pragma once

#include "Hotkeys/HotkeyChord.h"
#include "QuorvaneApp/Keys/KeyTap.h"
#include "QuorvaneApp/Keys/TapAction.h"
#include "QuorvaneApp/Platform/WeakSelf.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quorvane {

class ConfigSource;
class HotkeyRegistrar;
class Permissions;
struct Platform;
struct DoctorCheck;

// Global chords, the leader key and tile mode's bare keys, turned into the actions `setOnAction` receives.
// Owned by the model; main thread only.
class HotkeyCenter {
public:
    // One row of the hotkey table: the chord and the token it fires.
    struct Binding {
        std::string token;
        HotkeyChord chord;
    };

    // `tileModeOn` tells whether tile mode is on when the table is applied.
    HotkeyCenter(const Platform&, const ConfigSource&, std::function<bool()> tileModeOn);
    ~HotkeyCenter();
    HotkeyCenter(const HotkeyCenter&) = delete;
    HotkeyCenter& operator=(const HotkeyCenter&) = delete;

    // Start-up step 6: installs the press handler, starts the keyboard tap and registers every hotkey.
    void start();
    // Replaces every registration by the table of the configuration in force.
    void rebind();
    // Gives up every chord and every key of the tap until the next rebind, so that a process about to stop
    // holds no key of the desktop's.
    void release();
    // Census tick: starts the tap once input monitoring is allowed, and rebinds when it first runs.
    void noteInputMonitoring();
    // Census tick: tries again to take the chords another program held; it may have let go of them since.
    void retryRefused();
    // The "keyboard" row of `quorvane doctor`, and a "hotkeys" row per chord another program holds.
    std::vector<DoctorCheck> permissionChecks();

    // Where fired actions go.
    void setOnAction(std::function<void(const TapAction&)>);
    // Told the canonical text of each registered chord that fires, before its action.
    void setOnChord(std::function<void(const std::string& chord)> observer) { m_onChord = std::move(observer); }
    // Receives the presses of registered chords; at most once.
    void installHandler();
    // Replaces every registration: ordinary chords go to the desktop, the first of each key and modifiers
    // holding it; leader chords go to the tap, whose tile mode is on only while it runs.
    void apply(const std::vector<Binding>& permanent, bool tileMode, const std::optional<HotkeyKey>& leaderKey);
    // One registration under the next id; none when the desktop refuses it.
    std::optional<uint32_t> registerChord(uint32_t keyCode, const std::set<HotkeyModifier>& modifiers);
    // A registered chord was pressed; an id no registration holds does nothing.
    void fire(uint32_t id);

    KeyTap& tap() { return m_tap; }
    // The token of each registration in force, by id.
    const std::map<uint32_t, std::string>& tokens() const { return m_tokens; }
    // Canonical chords of the table that the desktop refused and no later row with the same key took.
    const std::vector<std::string>& refusedChords() const { return m_refused; }
    bool inputMonitoringOn() const { return m_inputMonitoringOn; }

private:
    HotkeyRegistrar& m_registrar;
    Permissions& m_permissions;
    const ConfigSource& m_config;
    std::function<bool()> m_tileModeOn;
    std::function<void(const TapAction&)> m_onAction;
    std::vector<uint32_t> m_refs;
    std::map<uint32_t, std::string> m_tokens;
    std::map<uint32_t, std::string> m_chords;
    // Each registration's key and modifiers, as the desktop tells chords apart.
    std::map<uint32_t, std::string> m_signatures;
    std::function<void(const std::string&)> m_onChord;
    // Never reset, so a late press of a dropped registration finds nothing.
    uint32_t m_nextID = 1;
    bool m_handlerInstalled = false;
    KeyTap m_tap;
    std::optional<uint32_t> m_leaderKeyCode;
    std::vector<std::string> m_refused;
    bool m_inputMonitoringOn = false;
    // What the desktop's press handler reaches while this center lives.
    WeakSelf<HotkeyCenter> m_self { *this };
};

} // namespace quorvane
