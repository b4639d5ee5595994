#pragma once

#include "QuorvaneApp/Keys/TapAction.h"
#include "QuorvaneApp/Platform/KeyEvent.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {

class KeyboardTap;
class MainLoop;

// What the tap's decisions read and change.
struct KeyTapState {
    // The bare keys of tile mode are live.
    bool tileMode = false;
    std::optional<uint32_t> leaderKeyCode;
    // The leader window ends at this instant of the main loop's clock; 0 means not armed.
    double leaderArmedUntil = 0;
    // For each leader chord, the key that completes it and its token, read as an action once.
    std::map<uint32_t, TapAction> leaderTokens;

    // Whether a leader press is waiting for its key at `now`.
    bool armed(double now) const { return leaderArmedUntil > 0 && now <= leaderArmedUntil; }

    friend bool operator==(const KeyTapState&, const KeyTapState&) = default;
};

// One key event decided: whether it is swallowed, and what it fires.
struct KeyDecision {
    bool swallow = false;
    std::optional<TapAction> action;

    friend bool operator==(const KeyDecision&, const KeyDecision&) = default;
};

// The keyboard tap as the model drives it: the leader key and tile mode's bare keys. Events are decided on the
// backend's thread under the tap's own lock; the actions they fire are posted to the main loop.
class KeyTap {
public:
    // How long a leader press waits for its key.
    static constexpr double leaderSeconds = 0.8;

    KeyTap(KeyboardTap&, MainLoop&);
    ~KeyTap();
    KeyTap(const KeyTap&) = delete;
    KeyTap& operator=(const KeyTap&) = delete;

    // Where fired actions go, on the main loop. Main thread only.
    void setOnAction(std::function<void(const TapAction&)>);
    // Starts the platform's tap when it may; true when it runs. Main thread only.
    bool start();
    bool running() const;
    // Replaces the state the decisions read; a later pair for the same key code wins. Main thread only.
    void update(bool tileMode, std::optional<uint32_t> leaderKeyCode,
        const std::vector<std::pair<std::string, uint32_t>>& leaderTokens);
    // Decides one event on the calling thread; true swallows it.
    bool consume(const KeyEvent&);
    // The decision for `event` at `now`, arming and spending the leader in `state`.
    static KeyDecision nextDecision(KeyTapState& state, const KeyEvent& event, double now);
    // A copy of the current state.
    KeyTapState state() const;

private:
    struct Shared;

    KeyboardTap& m_tap;
    // Shared with the platform's handler and posted work, which may outlive this object.
    std::shared_ptr<Shared> m_shared;
};

} // namespace quorvane
