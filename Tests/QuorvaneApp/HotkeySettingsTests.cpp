// The Hotkeys tab and the chord recorders on the simulated desktop: what a recorded chord may be, what the
// add form binds, and how a row's chord is replaced or removed.
#include "AppTesting.h"
#include "KeysTesting.h"
#include "TilingTesting.h"

#include "QuorvaneApp/Views/ChordCheck.h"
#include "QuorvaneApp/Views/SettingsWindow.h"

namespace quorvane {
namespace {

class HotkeySettingsTest : public test::SettingsTest {
protected:
    void begin(const std::string& tail = "")
    {
        test::oneDisplay(desktop);
        startWith(test::configText({}, tail));
        model->showSettings(SettingsTab::hotkeys);
        settle();
    }

    // The app hotkeys in force, as "chord app".
    std::vector<std::string> bound()
    {
        std::vector<std::string> lines;
        for (const NativeHotkey& hotkey : model->config().hotkeys)
            lines.push_back(hotkey.chord + " " + hotkey.bundleIdentifier);
        return lines;
    }

    std::string status() { return windows.form().status; }
};

using Lines = std::vector<std::string>;

TEST_F(HotkeySettingsTest, TheAddFormBindsOnlyChordsThatCanFire)
{
    struct Case {
        std::string app, chord;
        // The status line afterwards; empty: bound.
        std::string refused;
    };
    const Case cases[] = {
        { "org.example.Editor", "Opt + Ctrl + E", "" },
        { "org.example.Editor", "ctrl+opt+nope", "\u201cnope\u201d is not a key Quorvane can bind." },
        { "org.example.Mail", "ctrl+opt+f", "ctrl+opt+f is used by Quorvane itself. It fires the tile key Fill screen." },
        { "org.example.Mail", "ctrl+opt+e", "ctrl+opt+e is already used. It fires org.example.Editor." },
        { "org.example.Mail", "ctrl+shift+j", ChordCheck::heldElsewhere("ctrl+shift+j") },
        { "", "ctrl+opt+m", HotkeyEdits::needsChordAndApp },
    };
    begin();
    desktop.hotkeys.refuse(test::keyChord("ctrl+shift+j"));
    for (const Case& c : cases) {
        ASSERT_TRUE(edit("Hotkey app", c.app));
        // A refused chord is said as soon as it is recorded; one that may fire waits for Add Hotkey.
        ASSERT_TRUE(edit("New hotkey chord", c.chord));
        if (status().empty()) {
            ASSERT_TRUE(press("Add Hotkey"));
        }
        if (c.refused.empty()) {
            EXPECT_EQ(windows.form().statusTone, MenuTone::success) << c.chord;
        } else {
            EXPECT_EQ(status(), c.refused) << c.chord;
            EXPECT_EQ(windows.form().statusTone, MenuTone::failure) << c.chord;
        }
    }
    EXPECT_EQ(bound(), (Lines { "ctrl+opt+e org.example.Editor" }));
    EXPECT_TRUE(desktop.hotkeys.press(test::keyChord("ctrl+opt+e")));
    EXPECT_FALSE(desktop.hotkeys.press(test::keyChord("ctrl+shift+j")));
}

TEST_F(HotkeySettingsTest, ARowsChordIsReplacedOnlyByOneThatWorksAndBackspaceRemovesIt)
{
    struct Case {
        std::string recorded;
        Lines after;
        bool refused;
    };
    const Case cases[] = {
        // Re-recording its own chord is no clash.
        { "ctrl+opt+e", { "ctrl+opt+e org.example.Editor" }, false },
        { "ctrl+opt+f", { "ctrl+opt+e org.example.Editor" }, true },
        { "ctrl+shift+j", { "ctrl+opt+e org.example.Editor" }, true },
        { "ctrl+shift+k", { "ctrl+shift+k org.example.Editor" }, false },
        { "", {}, false },
    };
    begin("\n[hotkeys]\n\"ctrl+opt+e\" = \"org.example.Editor\"\n");
    desktop.hotkeys.refuse(test::keyChord("ctrl+shift+j"));
    for (const Case& c : cases) {
        ASSERT_TRUE(edit("Hotkey for org.example.Editor", c.recorded)) << c.recorded;
        EXPECT_EQ(bound(), c.after) << c.recorded;
        EXPECT_EQ(windows.form().statusTone, c.refused ? MenuTone::failure : MenuTone::success) << c.recorded;
    }
}

TEST_F(HotkeySettingsTest, TheAppIsChosenFromRunningInstalledAndWebApps)
{
    desktop.applications.launch({ "org.example.Editor", 0, "Editor", true, false });
    desktop.applications.launch({ "org.example.Daemon", 0, "Daemon", false, false });
    desktop.applications.install("org.example.Editor", "/apps/editor.desktop");
    desktop.applications.install("org.example.Paint", "/apps/paint.desktop");
    begin();
    ASSERT_EQ(model->handleRPC({ "app", "add", "https://mail.example.com", "--name", "Mail" }).exitCode, 0);
    settle();
    std::vector<std::string> offered;
    for (const SettingsChoice& choice : windows.control("Hotkey app")->choices)
        offered.push_back(choice.id + "=" + choice.label);
    // Background agents are left out; an app both running and installed is offered once.
    EXPECT_EQ(offered,
        (Lines { "org.example.Editor=Editor", "org.example.Paint=org.example.Paint", "Mail=Mail (web app)" }));
}

TEST_F(HotkeySettingsTest, RemoveUnbindsTheChord)
{
    begin("\n[hotkeys]\n\"ctrl+opt+e\" = \"org.example.Editor\"\n\"ctrl+opt+r\" = \"org.example.Reader\"\n");
    ASSERT_TRUE(press("Remove the hotkey ctrl+opt+e"));
    EXPECT_EQ(bound(), (Lines { "ctrl+opt+r org.example.Reader" }));
    EXPECT_FALSE(desktop.hotkeys.press(test::keyChord("ctrl+opt+e")));
    EXPECT_TRUE(desktop.hotkeys.press(test::keyChord("ctrl+opt+r")));
}

TEST_F(HotkeySettingsTest, EveryChordFieldRefusesAChordAnotherProgramHolds)
{
    begin();
    desktop.hotkeys.refuse(test::keyChord("ctrl+shift+j"));
    std::string before = test::readFile(configPath());
    for (const char* field : { "Tile mode chord", "Agent chord", "New web app chord", "Cycle layouts chord",
             "Fill screen chord" }) {
        ASSERT_TRUE(edit(field, "ctrl+shift+j")) << field;
        EXPECT_EQ(status(), ChordCheck::heldElsewhere("ctrl+shift+j")) << field;
    }
    EXPECT_EQ(test::readFile(configPath()), before);
}

} // namespace
} // namespace quorvane
