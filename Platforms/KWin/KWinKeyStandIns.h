#pragma once

#include "QuorvaneApp/Platform/KeyboardTap.h"

namespace quorvane {

// The keyboard tap on KWin, which does not run yet: the leader key and tile mode's bare keys wait.
class KWinKeyboardTapStandIn : public KeyboardTap {
public:
    bool available() override { return false; }
    bool start(Handler) override { return false; }
    bool running() override { return false; }
    void setInterest(const KeyInterest&) override { }
};

} // namespace quorvane
