#pragma once

#include "QuorvaneApp/Platform/KeyboardTap.h"

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>

namespace quorvane {

class X11Connection;
class X11Keymap;

// The keyboard tap built from synchronous passive grabs: the keys it may swallow (the leader with any
// modifiers; the keys of interest without ctrl, opt or cmd while tile mode is on or the leader is armed)
// freeze the keyboard when pressed, and the handler's answer either consumes the press or replays it to the
// focused window as if nothing had grabbed it. XInput 2 raw events show the other presses that spend an
// armed leader. Events are read and answered on a thread of the tap's own, on a connection of its own, so a
// busy main loop never holds the keyboard; a freeze that gets no answer in time replays the key.
class X11KeyboardTap : public KeyboardTap {
public:
    // How long a frozen keyboard waits for the handler before the key is replayed.
    static constexpr std::chrono::milliseconds freezeDeadline { 250 };

    // Connects to `displayName`; without a server, XInput 2 or XKB there the tap is not available.
    explicit X11KeyboardTap(const std::string& displayName);
    ~X11KeyboardTap() override;

    bool available() override;
    bool start(Handler handler) override;
    bool running() override;
    void setInterest(const KeyInterest&) override;

    // What the server lacks for the tap ("XInput 2", "XKB", or the connection itself), empty when nothing.
    const std::string& missing() const { return m_missing; }

private:
    // One grab: an X key code and a core modifier mask (AnyModifier for the leader).
    using Grab = std::pair<xcb_keycode_t, uint16_t>;

    void run();
    void watch();
    void handleEvent(const xcb_generic_event_t&);
    void handlePress(const xcb_key_press_event_t&);
    void handleRelease(const xcb_key_release_event_t&);
    void handleRawPress(xcb_keycode_t);
    // Calls the handler for a frozen key: whether to swallow it, or nothing when the deadline has passed and
    // the watchdog has replayed it already.
    std::optional<bool> decideFrozen(const KeyEvent&);
    // Brings the passive grabs in line with the interest and the armed state. Caller holds m_lock.
    void updateGrabs();
    bool isLeaderKey(xcb_keycode_t) const;
    // Puts Caps Lock back as it was before the leader's press.
    void restoreLock();
    void wake();

    std::unique_ptr<X11Connection> m_connection;
    std::unique_ptr<X11Keymap> m_keymap;
    std::string m_missing;
    uint8_t m_inputOpcode = 0;
    int m_wakeDescriptor = -1;
    Handler m_handler;
    std::atomic<bool> m_running { false };
    std::atomic<bool> m_stopping { false };
    std::thread m_reader;
    std::thread m_watchdog;

    // Guards the interest, the armed state, the grabs and the keymap.
    std::mutex m_lock;
    KeyInterest m_interest;
    bool m_armed = false;
    std::chrono::steady_clock::time_point m_armedAt;
    std::set<Grab> m_grabs;
    std::set<xcb_keycode_t> m_leaderKeys;
    // Key codes grabbed without ctrl, opt or cmd (the completion and tile keys).
    std::set<xcb_keycode_t> m_bareKeys;

    // Reader thread only: a press of ours holds the keyboard until the key that started it is released.
    bool m_grabActive = false;
    xcb_keycode_t m_grabKey = 0;
    bool m_capsLeader = false;
    bool m_lockWasOn = false;
    // Caps Lock is put back when it changes before then.
    std::chrono::steady_clock::time_point m_keepLockUntil;

    // The key waiting for an answer, shared with the watchdog.
    std::mutex m_freezeLock;
    std::condition_variable m_freezeChanged;
    bool m_frozen = false;
    std::chrono::steady_clock::time_point m_frozenAt;
};

} // namespace quorvane
