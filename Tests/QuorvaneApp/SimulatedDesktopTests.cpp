// The simulated desktop is the model of what a real backend does; these guard the behaviour the tiling and
// key tests rely on.
#include "Platforms/Simulated/SimulatedDesktop.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

class SimulatedDesktopTest : public testing::Test {
protected:
    SimulatedDesktop desktop;

    SimulatedDesktopTest() { desktop.addSampleScene(); }

    WindowHandle windowTitled(const std::string& title)
    {
        for (const WindowFacts& window : desktop.windowSystem.windows()) {
            if (window.title == title)
                return window.handle;
        }
        ADD_FAILURE() << "no window " << title;
        return {};
    }
};

TEST_F(SimulatedDesktopTest, TheSampleSceneHasTwoDisplaysAndAFocusedEditor)
{
    std::vector<DisplayFacts> displays = desktop.windowSystem.displays();
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_TRUE(displays[0].isMain);
    EXPECT_EQ(displays[1].visibleFrame, (Frame { 1920, 32, 1920, 1048 }));
    EXPECT_EQ(desktop.windowSystem.windows().size(), 4u);
    EXPECT_EQ(desktop.windowSystem.focusedWindow()->title, "todo.txt");
    EXPECT_EQ(desktop.applications.frontmost()->bundleIdentifier, "org.example.Editor");
}

TEST_F(SimulatedDesktopTest, FrameWritesLandUnlessRefusedAndSlowOnesTakeVirtualTime)
{
    struct Case {
        const char* title;
        double writeSeconds;
        bool refuses;
        Frame landed;
        double clockAfter;
    };
    const Frame target { 0, 32, 960, 1048 };
    const Case cases[] = {
        { "todo.txt", 0, false, target, 0 },
        { "notes.txt", 0.02, false, target, 0.02 },
        { "Terminal", 0, true, Frame { 2100, 300, 800, 500 }, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        WindowHandle handle = windowTitled(c.title);
        desktop.windowSystem.update(handle, [&](SimulatedWindow& window) {
            window.writeSeconds = c.writeSeconds;
            window.refusesWrites = c.refuses;
        });
        double before = desktop.loop.now();
        desktop.windowSystem.setFrame(handle, target, AxisWrite::sizeThenPosition);
        EXPECT_EQ(desktop.windowSystem.readFrame(handle), c.landed);
        EXPECT_EQ(desktop.loop.now() - before, c.clockAfter);
        EXPECT_EQ(desktop.windowSystem.writes().back().order, AxisWrite::sizeThenPosition);
    }
}

TEST_F(SimulatedDesktopTest, HiddenApplicationsLeaveTheOnScreenListAndActivationBringsThemBack)
{
    int32_t editor = desktop.applications.frontmost()->pid;
    desktop.applications.hide(editor);
    EXPECT_EQ(desktop.windowSystem.onScreenWindows()->size(), 2u);
    EXPECT_FALSE(desktop.windowSystem.focusedWindow());
    desktop.applications.activate(editor);
    EXPECT_EQ(desktop.windowSystem.onScreenWindows()->size(), 4u);
    EXPECT_EQ(desktop.applications.frontmost()->pid, editor);
    desktop.windowSystem.setReportsOnScreenList(false);
    EXPECT_FALSE(desktop.windowSystem.onScreenWindows());
}

TEST_F(SimulatedDesktopTest, QuittingAnApplicationRemovesItsWindowsAndTellsTheMainLoop)
{
    std::vector<std::string> quit;
    desktop.applications.setQuitHandler(
        [&](const RunningApplication& application) { quit.push_back(application.bundleIdentifier); });
    int32_t editor = desktop.applications.frontmost()->pid;
    desktop.applications.terminate(editor);
    EXPECT_TRUE(quit.empty());
    desktop.loop.runPending();
    EXPECT_EQ(quit, std::vector<std::string> { "org.example.Editor" });
    EXPECT_EQ(desktop.windowSystem.windows().size(), 2u);
    EXPECT_TRUE(desktop.applications.open("/usr/share/applications/org.example.Editor.desktop"));
    EXPECT_FALSE(desktop.applications.open("/nowhere.desktop"));
    EXPECT_EQ(desktop.applications.running().back().bundleIdentifier, "org.example.Editor");
}

TEST_F(SimulatedDesktopTest, RefusedChordsDoNotRegisterAndPressesArriveOnTheMainLoop)
{
    const KeyChord held { 4, { HotkeyModifier::ctrl, HotkeyModifier::opt } };
    const KeyChord free { 14, { HotkeyModifier::ctrl, HotkeyModifier::opt } };
    std::vector<uint32_t> pressed;
    desktop.hotkeys.setPressHandler([&](uint32_t id) { pressed.push_back(id); });
    desktop.hotkeys.refuse(held);
    EXPECT_FALSE(desktop.hotkeys.registerChord(1, held));
    EXPECT_TRUE(desktop.hotkeys.registerChord(2, free));
    EXPECT_FALSE(desktop.hotkeys.registerChord(3, free));
    EXPECT_FALSE(desktop.hotkeys.press(held));
    EXPECT_TRUE(desktop.hotkeys.press(free));
    EXPECT_TRUE(pressed.empty());
    desktop.loop.runPending();
    EXPECT_EQ(pressed, std::vector<uint32_t> { 2 });
    desktop.hotkeys.unregisterChord(2);
    EXPECT_FALSE(desktop.hotkeys.press(free));
}

TEST_F(SimulatedDesktopTest, ScriptedKeysReachTheTapAsTimePassesAndUnswallowedOnesPassOn)
{
    KeyEvent caps { KeyEvent::Type::flagsChanged, 57, {}, "" };
    KeyEvent e { KeyEvent::Type::keyDown, 14, {}, "e" };
    std::vector<std::pair<double, uint32_t>> seen;
    EXPECT_FALSE(desktop.keyboardTap.start([](const KeyEvent&) { return true; }));
    desktop.keyboardTap.setAvailable(true);
    ASSERT_TRUE(desktop.keyboardTap.start([&](const KeyEvent& event) {
        seen.emplace_back(desktop.loop.now(), event.keyCode);
        return event.keyCode == caps.keyCode;
    }));
    desktop.keyboardTap.script({ { 0.5, caps }, { 0.25, e } });
    desktop.advance(0.6);
    EXPECT_EQ(seen.size(), 1u);
    desktop.advance(1);
    EXPECT_EQ(seen, (std::vector<std::pair<double, uint32_t>> { { 0.5, 57 }, { 0.75, 14 } }));
    EXPECT_EQ(desktop.keyboardTap.passedThrough(), std::vector<KeyEvent> { e });
}

} // namespace
} // namespace quorvane
