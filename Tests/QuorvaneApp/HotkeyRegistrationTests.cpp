#include "KeysTesting.h"

#include "Router/DoctorCheck.h"

namespace quorvane {
namespace {

using test::keyChord;

HotkeyCenter::Binding binding(const std::string& token, const std::string& chord)
{
    return { token, HotkeyParser::parse(chord) };
}

class HotkeyRegistration : public test::KeysTest {
protected:
    std::string frontmost() { return desktop.applications.frontmost()->bundleIdentifier; }

    // Presses a chord and serves the main loop; false when nothing holds it.
    bool press(const std::string& chord)
    {
        bool held = desktop.hotkeys.press(keyChord(chord));
        desktop.loop.runPending();
        return held;
    }

    std::vector<KeyChord> registered()
    {
        std::vector<KeyChord> chords;
        for (const auto& [id, chord] : desktop.hotkeys.registrations())
            chords.push_back(chord);
        return chords;
    }
};

TEST_F(HotkeyRegistration, EveryChordOfTheDefaultTableIsRegistered)
{
    start();
    // Four built-in chords and the 27 tile chords.
    EXPECT_EQ(desktop.hotkeys.registrations().size(), 31u);
    EXPECT_EQ(center().tokens().size(), 31u);
}

TEST_F(HotkeyRegistration, TheFirstRowOfAKeyAndModifiersHoldsIt)
{
    startWith(test::configText({}, "\n[hotkeys]\n\"ctrl+opt+f\" = \"org.example.Terminal\"\n"));
    ASSERT_TRUE(press("ctrl+opt+f"));
    EXPECT_EQ(frontmost(), "org.example.Terminal");
    std::vector<KeyChord> chords = registered();
    EXPECT_EQ(std::count(chords.begin(), chords.end(), keyChord("ctrl+opt+f")), 1);
}

TEST_F(HotkeyRegistration, ARefusedChordLeavesItsKeyToALaterRow)
{
    start();
    desktop.hotkeys.refuseOnce(keyChord("ctrl+opt+t"));
    center().apply({ binding("org.example.Browser", "ctrl+opt+t"), binding("org.example.Terminal", "ctrl+opt+t") },
        false, std::nullopt);
    ASSERT_TRUE(press("ctrl+opt+t"));
    EXPECT_EQ(frontmost(), "org.example.Terminal");
    // Let go, then someone takes its key for good: nothing registers it, and the doctor names it once.
    center().apply({}, false, std::nullopt);
    desktop.hotkeys.refuse(keyChord("ctrl+opt+t"));
    center().apply({ binding("org.example.Browser", "ctrl+opt+t"), binding("org.example.Terminal", "opt+ctrl+t") },
        false, std::nullopt);
    EXPECT_FALSE(press("ctrl+opt+t"));
    EXPECT_EQ(center().refusedChords(), std::vector<std::string> { "ctrl+opt+t" });
}

TEST_F(HotkeyRegistration, LeaderChordsAndKeysWithoutCodesAreNotRegistered)
{
    start();
    int attempts = desktop.hotkeys.attempts();
    center().apply({ binding("org.example.Browser", "leader+b"), binding("org.example.Browser", "ctrl+opt+\u00E9"),
                       binding("org.example.Terminal", "ctrl+opt+t") },
        false, HotkeyKey::named("caps"));
    EXPECT_EQ(desktop.hotkeys.attempts(), attempts + 1);
    EXPECT_EQ(registered(), std::vector<KeyChord> { keyChord("ctrl+opt+t") });
    EXPECT_EQ(center().tap().state().leaderTokens.size(), 1u);
}

TEST_F(HotkeyRegistration, AnEmptyTableUnregistersEverything)
{
    startWith(
        test::configText({ { "leader_key", "\"caps\"" } }, "\n[hotkeys]\n\"leader+t\" = \"org.example.Terminal\"\n"));
    center().apply({}, false, std::nullopt);
    EXPECT_TRUE(desktop.hotkeys.registrations().empty());
    EXPECT_TRUE(center().tokens().empty());
    EXPECT_TRUE(center().tap().state().leaderTokens.empty());
    EXPECT_FALSE(center().tap().state().leaderKeyCode);
}

// A chord let go and taken again would miss a press in between, so a rebind keeps what stays bound.
TEST_F(HotkeyRegistration, ARebindKeepsHeldChordsAndALatePressOfADroppedOneDoesNothing)
{
    startWith(test::configText({}, "\n[hotkeys]\n\"ctrl+opt+t\" = \"org.example.Terminal\"\n"));
    std::map<uint32_t, std::string> held = center().tokens();
    int attempts = desktop.hotkeys.attempts();
    model->hotkeys().rebind();
    EXPECT_EQ(center().tokens(), held);
    EXPECT_EQ(desktop.hotkeys.attempts(), attempts);

    uint32_t dropped = held.begin()->first;
    center().apply({}, false, std::nullopt);
    center().fire(dropped);
    desktop.loop.runPending();
    EXPECT_EQ(frontmost(), "org.example.Editor");
    // Bound again, it is a new registration: the dropped id stays dead.
    model->hotkeys().rebind();
    EXPECT_FALSE(center().tokens().contains(dropped));
    ASSERT_TRUE(press("ctrl+opt+t"));
    EXPECT_EQ(frontmost(), "org.example.Terminal");
}

TEST_F(HotkeyRegistration, TheDoctorNamesThePermissionsAndEveryChordHeldElsewhere)
{
    struct Case {
        const char* name;
        bool windowControl;
        bool tap;
        const char* leaderKey;
        std::vector<std::string> expected;
    };
    const std::string held = "[warn] hotkeys: ctrl+opt+f is held by another program, so it does nothing.";
    const Case cases[] = {
        { "no keyboard, a leader", false, false, "\"caps\"",
            { "[fail] window-control: Quorvane may not move windows.",
                "[warn] keyboard: Leader keys need Input Monitoring.", held } },
        { "no keyboard, no leader", true, false, "\"\"",
            { "[pass] window-control: Quorvane can move windows.",
                "[warn] keyboard: Tile mode uses \u2303\u2325 chords until Input Monitoring is allowed.", held } },
        // Last: once the simulated tap runs it stays running.
        { "all allowed", true, true, "\"\"",
            { "[pass] window-control: Quorvane can move windows.", "[pass] keyboard: Input Monitoring is on.", held } },
    };
    for (const Case& c : cases) {
        model.reset();
        desktop.permissions.setWindowControl(c.windowControl);
        desktop.keyboardTap.setAvailable(c.tap);
        desktop.hotkeys.refuse(keyChord("ctrl+opt+f"));
        startWith(test::configText({ { "leader_key", c.leaderKey } }));
        std::string report = model->handleRPC({ "doctor" }).message;
        for (const std::string& line : c.expected)
            EXPECT_NE(report.find(line), std::string::npos) << c.name << ": " << line << "\n" << report;
    }
}

// Restarting the window manager or mending its settings is how a person frees a chord.
TEST_F(HotkeyRegistration, AChordLetGoElsewhereIsTakenWithinSecondsAndTheDoctorSaysSoAtOnce)
{
    const std::string held = "[warn] hotkeys: ctrl+opt+f is held by another program, so it does nothing.";
    desktop.hotkeys.refuseOnce(keyChord("ctrl+opt+f"));
    start();
    EXPECT_FALSE(press("ctrl+opt+f"));
    desktop.advance(12.1);
    EXPECT_TRUE(press("ctrl+opt+f"));

    model.reset();
    desktop.hotkeys.refuseOnce(keyChord("ctrl+opt+f"));
    start();
    EXPECT_EQ(model->handleRPC({ "doctor" }).message.find(held), std::string::npos);
    EXPECT_TRUE(press("ctrl+opt+f"));
}

TEST_F(HotkeyRegistration, ReleasingGivesUpEveryKeyUntilTheNextRebind)
{
    startWith(test::configText({ { "leader_key", "\"caps\"" } }));
    ASSERT_FALSE(desktop.hotkeys.registrations().empty());
    KeyInterest taken = desktop.keyboardTap.interest();
    ASSERT_TRUE(taken.leaderKeyCode);
    model->hotkeys().release();
    EXPECT_TRUE(desktop.hotkeys.registrations().empty());
    EXPECT_EQ(desktop.keyboardTap.interest(), KeyInterest {});
    model->hotkeys().rebind();
    EXPECT_EQ(desktop.hotkeys.registrations().size(), 31u);
    EXPECT_EQ(desktop.keyboardTap.interest(), taken);
}

} // namespace
} // namespace quorvane
