#pragma once

#include "QuorvaneApp/Platform/KeyEvent.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quorvane {

// Which keys the tap must see. A platform that sees every key anyway may ignore it; one that grabs keys
// (X11) grabs exactly these.
struct KeyInterest {
    // The leader key, seen on press whatever modifiers are held.
    std::optional<uint32_t> leaderKeyCode;
    // Keys that complete a leader chord or act in tile mode, seen without ctrl, opt or cmd held.
    std::vector<uint32_t> keyCodes;
    // Tile mode is on: the bare `keyCodes` act now, not only after the leader.
    bool tileMode = false;
    // The leader is armed: the next key-down of any key must be seen (and may pass on).
    bool leaderArmed = false;
    // For a platform that takes keys only where they act, `keyCodes` by use: the keys that complete a leader
    // chord (with or without Shift), and those tile mode acts on without and with Shift.
    std::vector<uint32_t> leaderKeyCodes;
    std::vector<uint32_t> tileKeyCodes;
    std::vector<uint32_t> shiftedTileKeyCodes;

    friend bool operator==(const KeyInterest&, const KeyInterest&) = default;
};

// Sees key presses before the application in front does and may swallow them (leader key, tile mode).
class KeyboardTap {
public:
    // Decides one event on the platform's own thread: true swallows it. It must not wait for the main loop.
    using Handler = std::function<bool(const KeyEvent&)>;

    virtual ~KeyboardTap() = default;

    // Whether the tap may be started now (the input-monitoring permission, where there is one).
    virtual bool available() = 0;
    // Starts delivering events to `handler`; true when the tap runs. Starting a running tap changes nothing
    // and answers true.
    virtual bool start(Handler handler) = 0;
    virtual bool running() = 0;
    // Tells the tap which keys matter now. Main thread only.
    virtual void setInterest(const KeyInterest&) = 0;
};

} // namespace quorvane
