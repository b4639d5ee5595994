// How `doctor` words the permission rows on X11: each sentence names what is missing.
#include "Platforms/X11/X11Permissions.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(X11PermissionsTest, TheRowsNameWhatTheServerOrWindowManagerLacks)
{
    const PermissionWording defaults;
    struct Case {
        X11PermissionFacts facts;
        std::string windowControl;
        std::string leaderKey;
        std::string tileMode;
    };
    const Case cases[] = {
        { { "Openbox", true, "" }, "Quorvane can move windows through Openbox.", defaults.leaderKeyWaits,
            defaults.tileModeWaits },
        { { std::nullopt, false, "" }, "Quorvane cannot move windows: no EWMH window manager is running.",
            defaults.leaderKeyWaits, defaults.tileModeWaits },
        // A window manager that names itself but does not take move requests cannot move windows either.
        { { "twm-like", false, "" }, "Quorvane cannot move windows: twm-like does not support _NET_MOVERESIZE_WINDOW.",
            defaults.leaderKeyWaits, defaults.tileModeWaits },
        { { "Openbox", true, "XInput 2" }, "Quorvane can move windows through Openbox.",
            "Leader keys wait until the X server offers XInput 2.",
            "Tile mode uses the ctrl+opt chords until the X server offers XInput 2." },
        { { "Openbox", true, "XInput 2 and XKB" }, "Quorvane can move windows through Openbox.",
            "Leader keys wait until the X server offers XInput 2 and XKB.",
            "Tile mode uses the ctrl+opt chords until the X server offers XInput 2 and XKB." },
        { { "Openbox", true, "XKB" }, "Quorvane can move windows through Openbox.",
            "Leader keys wait until the X server offers XKB.",
            "Tile mode uses the ctrl+opt chords until the X server offers XKB." },
    };
    for (const Case& c : cases) {
        PermissionWording wording = X11Permissions::wordingFor(c.facts);
        bool allowed = c.facts.windowManager && c.facts.takesMoveRequests;
        std::string label = c.facts.windowManager.value_or("none") + "/" + c.facts.tapMissing;
        EXPECT_EQ(allowed ? wording.windowControlAllowed : wording.windowControlDenied, c.windowControl) << label;
        EXPECT_EQ(wording.leaderKeyWaits, c.leaderKey) << label;
        EXPECT_EQ(wording.tileModeWaits, c.tileMode) << label;
        if (c.facts.tapMissing.empty())
            EXPECT_EQ(wording.bareKeysWait, defaults.bareKeysWait) << label;
        else
            EXPECT_EQ(wording.bareKeysWait, "The X server does not offer " + c.facts.tapMissing
                    + ", so the bare keys wait until it does. The chords above still work.")
                << label;
        EXPECT_EQ(wording.keyboardWatched, defaults.keyboardWatched) << label;
    }
}

} // namespace
} // namespace quorvane
