#pragma once

#include "QuorvaneApp/Platform/HotkeyRegistrar.h"
#include "QuorvaneApp/Platform/KeyboardTap.h"

namespace quorvane {

// Chords on KWin until KWin's own shortcuts carry them: each is taken and none ever fires, so that no
// chord is reported as held by another program. The doctor's "keys" row says that keys do not work yet.
class KWinHotkeyStandIn : public HotkeyRegistrar {
public:
    bool registerChord(uint32_t, const KeyChord&) override { return true; }
    void unregisterChord(uint32_t) override { }
    void setPressHandler(std::function<void(uint32_t)>) override { }
};

// The keyboard tap on KWin, which does not run yet: the leader key and tile mode's bare keys wait.
class KWinKeyboardTapStandIn : public KeyboardTap {
public:
    bool available() override { return false; }
    bool start(Handler) override { return false; }
    bool running() override { return false; }
    void setInterest(const KeyInterest&) override { }
};

} // namespace quorvane
