// The whole application on a real keyboard: the real `quorvane-app` runs on the virtual desktop with a
// config file the test writes, keys are sent with XTest, and what they do is seen on real windows.
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "TestSupport/TemporaryFolder.h"
#include "Tiling/TileGeometry.h"
#include "Tiling/TileSlot.h"
#include "X11/TestKeyboard.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace quorvane {
namespace {

using namespace test;

// The default configuration with `lines` and `extra` (see configWith), without animation and without the
// onboarding panel.
std::string keyConfig(std::vector<std::string> lines = {}, const std::string& extra = "")
{
    lines.insert(lines.begin(), { "animate_tiles = false", "onboarding_complete = true" });
    return configWith(lines, extra);
}

// A test window that logs its keys, with everything it logged so far.
struct KeyWindow {
    explicit KeyWindow(std::vector<std::string> options)
        : window([&] {
            options.push_back("--keys");
            return options;
        }())
    {
    }
    // Reads what the window logged until it is quiet for `quiet` seconds; answers all it logged.
    const std::vector<std::string>& seen(double quiet = 0.3)
    {
        while (std::optional<std::string> line = window.process.readLine(quiet))
            log.push_back(line->substr(0, line->rfind(' ')));
        return log;
    }
    size_t count(const std::string& event, double quiet = 0.3)
    {
        const std::vector<std::string>& all = seen(quiet);
        return static_cast<size_t>(std::count(all.begin(), all.end(), event));
    }
    // Forgets what was logged so far.
    void clear()
    {
        seen();
        log.clear();
    }

    TestWindow window;
    std::vector<std::string> log;
};

// ctrl+opt+h as the focused window sees it when nothing grabs it.
const std::string focusLeft = press(keyH, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);

// Whether the desktop repeats a held key: a held Q, which nothing binds, reaches the window more than once.
bool repeatsHeldKeys(Keyboard& keyboard, KeyWindow& window)
{
    window.clear();
    keyboard.press(keyQ);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    keyboard.release(keyQ);
    return window.count(press(keyQ)) > 1;
}

// One virtual desktop per case (a case may change the keyboard layout), and `quorvane-app` on it once the
// case has written its config file.
class X11AppKeyTest : public testing::Test {
protected:
    void TearDown() override
    {
        if (app) {
            app->signal(SIGTERM);
            EXPECT_EQ(app->finish(), 0);
        }
    }

    void startApp(const std::string& config)
    {
        writeConfig(config);
        app = test::startApp();
    }

    // A desktop file in the desktop's own XDG_DATA_HOME that starts a test window with `options`.
    void installApplication(const std::string& id, const std::string& options)
    {
        installDesktopEntry(id, builtProgram("Tests/X11TestWindow/quorvane-test-window") + " --detached " + options);
    }

    std::optional<uint32_t> active()
    {
        std::optional<WindowFacts> focused = windows.windowSystem().focusedWindow();
        return focused ? std::optional(focused->handle.value) : std::nullopt;
    }

    bool isActive(uint32_t id)
    {
        return eventually([&] { return active() == id; });
    }

    // Gives the window focus and waits until it has it.
    void focus(uint32_t id)
    {
        ASSERT_TRUE(eventually([&] {
            windows.windowSystem().raise(WindowHandle { id });
            return eventually([&] { return active() == id; }, 0.3);
        })) << "cannot focus "
            << id;
    }

    // Waits until the window manager has framed a new window and, as it does with each, focused it: a window
    // focused before then loses focus to it a moment later.
    void opened(uint32_t id)
    {
        ASSERT_TRUE(eventually([&] {
            std::optional<Frame> frame = frameOf(id);
            return frame && frame->height > 100 && active() == id;
        }));
    }

    std::optional<Frame> frameOf(uint32_t id) { return windows.windowSystem().readFrame(WindowHandle { id }); }

    std::vector<WindowFacts> windowsOf(const std::string& applicationId)
    {
        std::vector<WindowFacts> found;
        for (const WindowFacts& window : windows.windowSystem().windows())
            if (window.bundleIdentifier == applicationId)
                found.push_back(window);
        return found;
    }

    bool fills(uint32_t id, double seconds = 5)
    {
        Frame target = frameForTile(TileSlot::fill, Frame { 0, 0, 960, 1080 }, 0);
        return eventually(
            [&] {
                std::optional<Frame> frame = frameOf(id);
                return frame && std::abs(frame->x - target.x) < 1 && std::abs(frame->width - target.width) < 1
                    && std::abs(frame->height - target.height) < 1;
            },
            seconds);
    }

    // Two logging windows side by side on the left display, the right one focused.
    void sideBySide()
    {
        left = std::make_unique<KeyWindow>(
            std::vector<std::string> { "--title", "Left", "--position", "0,0", "--size", "300x200" });
        opened(left->window.id);
        right = std::make_unique<KeyWindow>(
            std::vector<std::string> { "--title", "Right", "--position", "500,0", "--size", "300x200" });
        opened(right->window.id);
    }

    // Switches tile mode on with its chord and waits until a bare H focuses left.
    void enterTileMode()
    {
        keyboard.chord({ keyControl, keyAlt, keySpace });
        ASSERT_TRUE(eventually([&] {
            keyboard.chord({ keyH });
            return eventually([&] { return active() == left->window.id; }, 0.1);
        })) << "tile mode did not start";
        focus(right->window.id);
        left->clear();
        right->clear();
    }

    VirtualDesktop desktop;
    QuorvanePaths paths = ProcessPlaces::paths();
    Keyboard keyboard;
    GLibMainLoop loop;
    X11Desktop windows { loop };
    std::unique_ptr<ChildProcess> app;
    std::unique_ptr<KeyWindow> left;
    std::unique_ptr<KeyWindow> right;
};

// Chords

TEST_F(X11AppKeyTest, ChordsFocusTheLeftNeighbourWhateverTheLocks)
{
    startApp(keyConfig());
    sideBySide();
    for (auto [caps, num] : { std::pair(false, false), { true, false }, { false, true }, { true, true } }) {
        keyboard.setLocks(caps, num);
        keyboard.chord({ keyControl, keyAlt, keyH });
        EXPECT_TRUE(isActive(left->window.id)) << "caps " << caps << ", num " << num;
        focus(right->window.id);
    }
    keyboard.setLocks(false, false);
    EXPECT_EQ(right->count(focusLeft, 0.1), 0u);
}

TEST_F(X11AppKeyTest, AChordAnotherProgramHoldsIsReportedAndGoesToTheFirstEntryOnceFree)
{
    TestWindow held({ "--app-id", "org.example.Held", "--title", "Held", "--position", "0,0", "--size", "300x200" });
    auto other = std::make_unique<Keyboard>();
    other->grab(keyG, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    // An application hotkey and the fill chord share the key; the first row holds it when it can.
    std::string config = keyConfig({ "fill = \"ctrl+opt+g\"" }, "\n[hotkeys]\n\"ctrl+opt+g\" = \"org.example.Held\"\n");
    startApp(config);
    std::string report = runTool({ "doctor" }).output;
    std::string line = "[warn] hotkeys: ctrl+opt+g is held by another program, so it does nothing.\n";
    EXPECT_NE(report.find(line), std::string::npos) << report;
    EXPECT_EQ(report.find(line), report.rfind(line)) << "reported twice:\n" << report;

    // Let go; the next reload takes the chord, for the application hotkey rather than fill.
    other.reset();
    KeyWindow front({ "--title", "Front", "--position", "500,0", "--size", "300x200" });
    opened(front.window.id);
    writeConfig(config + "# edited\n");
    EXPECT_TRUE(eventually([&] {
        keyboard.chord({ keyControl, keyAlt, keyG });
        return eventually([&] { return active() == held.id; }, 0.2);
    }));
    EXPECT_FALSE(fills(front.window.id, 0.5));
    EXPECT_EQ(runTool({ "doctor" }).output.find("held by another program"), std::string::npos);
}

TEST_F(X11AppKeyTest, AConfigEditRebindsAndTheOldChordTypesAgain)
{
    startApp(keyConfig());
    sideBySide();
    writeConfig(keyConfig({ "focus_h = \"ctrl+opt+g\"" }));
    // Until the reload the new chord types into the window; after it, it focuses left.
    ASSERT_TRUE(eventually([&] {
        keyboard.chord({ keyControl, keyAlt, keyG });
        return eventually([&] { return active() == left->window.id; }, 0.2);
    }));
    focus(right->window.id);
    right->clear();
    keyboard.chord({ keyControl, keyAlt, keyH });
    EXPECT_EQ(right->count(focusLeft), 1u);
    EXPECT_EQ(right->count(release(keyH, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)), 1u);
    EXPECT_EQ(active(), right->window.id);
}

// Tile mode

TEST_F(X11AppKeyTest, TileModeTakesItsBareKeysAndPassesTheRest)
{
    startApp(keyConfig());
    sideBySide();
    enterTileMode();

    keyboard.chord({ keyH });
    EXPECT_TRUE(isActive(left->window.id));
    EXPECT_EQ(left->count(press(keyH)) + right->count(press(keyH)), 0u);
    EXPECT_EQ(left->count(release(keyH)) + right->count(release(keyH)), 0u);

    focus(right->window.id);
    keyboard.chord({ keySuper, keyH });
    keyboard.chord({ keyQ });
    EXPECT_EQ(right->seen(),
        (std::vector<std::string> { press(keySuper), press(keyH, XCB_MOD_MASK_4), release(keyH, XCB_MOD_MASK_4),
            release(keySuper, XCB_MOD_MASK_4), press(keyQ), release(keyQ) }));
    EXPECT_EQ(active(), right->window.id);

    right->clear();
    double before = frameOf(right->window.id)->x;
    keyboard.chord({ keyShift, keyH });
    EXPECT_TRUE(eventually([&] { return frameOf(right->window.id)->x < before - 10; }));
    EXPECT_EQ(right->seen(), (std::vector<std::string> { press(keyShift), release(keyShift, XCB_MOD_MASK_SHIFT) }));

    // Return, and the keypad's Enter, leave tile mode and never arrive; H types again afterwards.
    for (uint8_t exitKey : { keyReturn, keyKeypadEnter }) {
        SCOPED_TRACE(int(exitKey));
        if (exitKey != keyReturn)
            enterTileMode();
        right->clear();
        keyboard.chord({ exitKey });
        EXPECT_TRUE(eventually([&] {
            keyboard.chord({ keyH });
            return right->count(press(keyH), 0.1) > 0;
        }));
        EXPECT_EQ(right->count(press(exitKey)), 0u);
        EXPECT_EQ(active(), right->window.id);
    }
}

TEST_F(X11AppKeyTest, AnUnboundKeyRolledOverABoundOneArrivesOnce)
{
    startApp(keyConfig());
    sideBySide();
    enterTileMode();
    // F fills the focused window while Q goes down and up under it.
    keyboard.press(keyF);
    keyboard.press(keyQ);
    keyboard.release(keyF);
    keyboard.release(keyQ);
    EXPECT_TRUE(fills(right->window.id));
    // Replaying Q ends the grab that F's press began, so F's release may follow Q to the window; its press
    // never does.
    std::vector<std::string> seen = right->seen();
    std::erase(seen, release(keyF));
    EXPECT_EQ(seen, (std::vector<std::string> { press(keyQ), release(keyQ) }));
}

// The leader key

class X11LeaderTest : public X11AppKeyTest {
protected:
    void SetUp() override
    {
        installApplication("org.example.Leader", "--app-id org.example.Leader --title Led --size 300x200");
        startApp(keyConfig({ "leader_key = \"caps\"", "fill = \"leader+f\"" },
            "\n[hotkeys]\n\"leader+e\" = \"org.example.Leader\"\n"));
        sideBySide();
        right->clear();
    }

    bool capsLockOn() { return keyboard.lockedModifiers() & XCB_MOD_MASK_LOCK; }
};

TEST_F(X11LeaderTest, CapsThenELaunchesAndNeitherKeyArrives)
{
    keyboard.chord({ keyCaps });
    keyboard.chord({ keyE });
    EXPECT_TRUE(eventually([&] { return windowsOf("org.example.Leader").size() == 1; }, 10));
    EXPECT_TRUE(right->seen().empty()) << right->seen().front();
    EXPECT_FALSE(capsLockOn());

    // Again: the application runs, so it is focused rather than launched a second time.
    focus(right->window.id);
    keyboard.chord({ keyCaps });
    keyboard.chord({ keyE });
    EXPECT_TRUE(isActive(windowsOf("org.example.Leader").at(0).handle.value));
    EXPECT_EQ(windowsOf("org.example.Leader").size(), 1u);
    EXPECT_TRUE(right->seen().empty());
    EXPECT_FALSE(capsLockOn());
}

// The state letter of /proc/<pid>/stat: 'T' while stopped.
char processState(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t end = stat.rfind(')');
    return end != std::string::npos && end + 2 < stat.size() ? stat[end + 2] : '?';
}

TEST_F(X11LeaderTest, StoppedFromATerminalTheAppLetsGoOfTheKeyboardUntilContinued)
{
    app->signal(SIGTSTP);
    ASSERT_TRUE(eventually([&] { return processState(app->pid()) == 'T'; }));
    // Neither the leader nor its chord's key is grabbed by the stopped application: both reach the window.
    keyboard.chord({ keyCaps });
    keyboard.chord({ keyE });
    EXPECT_EQ(right->count(press(keyE, XCB_MOD_MASK_LOCK)), 1u);
    EXPECT_TRUE(capsLockOn());
    keyboard.chord({ keyCaps });
    right->clear();

    app->signal(SIGCONT);
    // Answering a request shows the main loop has taken the keys again.
    ASSERT_TRUE(eventually([] { return runTool({ "ping" }).status == 0; }));
    keyboard.chord({ keyCaps });
    keyboard.chord({ keyE });
    EXPECT_TRUE(eventually([&] { return windowsOf("org.example.Leader").size() == 1; }, 10));
    EXPECT_TRUE(right->seen().empty());
}

TEST_F(X11LeaderTest, ELaterThanTheLeaderWindowTypes)
{
    keyboard.chord({ keyCaps });
    // The leader's deadline runs on the real clock.
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    keyboard.chord({ keyE });
    EXPECT_EQ(right->seen(), (std::vector<std::string> { press(keyE), release(keyE) }));
    EXPECT_TRUE(windowsOf("org.example.Leader").empty());
    EXPECT_FALSE(capsLockOn());
}

TEST_F(X11LeaderTest, CtrlEPassesAndSpendsTheLeader)
{
    keyboard.chord({ keyCaps });
    keyboard.chord({ keyControl, keyE });
    keyboard.chord({ keyE });
    EXPECT_EQ(right->seen(),
        (std::vector<std::string> { press(keyControl), press(keyE, XCB_MOD_MASK_CONTROL),
            release(keyE, XCB_MOD_MASK_CONTROL), release(keyControl, XCB_MOD_MASK_CONTROL), press(keyE),
            release(keyE) }));
    EXPECT_TRUE(windowsOf("org.example.Leader").empty());
    EXPECT_FALSE(capsLockOn());
}

// Keys as fast as the server takes them, without a typist's rest between: ctrl+E comes while the tap is
// still busy with the leader, yet spends it, so the E after it types.
TEST_F(X11LeaderTest, CtrlERightAtTheLeaderStillSpendsIt)
{
    // While Caps Lock is held down the server adds Lock to the state of every key, as it does without Quorvane.
    constexpr uint16_t underCaps = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK;
    struct Case {
        const char* name;
        std::vector<std::pair<bool, uint8_t>> keys;
        uint16_t ctrlE;
    };
    for (const Case& c : {
             Case { "after the release",
                 { { true, keyCaps }, { false, keyCaps }, { true, keyControl }, { true, keyE }, { false, keyE },
                     { false, keyControl } },
                 XCB_MOD_MASK_CONTROL },
             Case { "before the release",
                 { { true, keyCaps }, { true, keyControl }, { false, keyCaps }, { true, keyE }, { false, keyE },
                     { false, keyControl } },
                 XCB_MOD_MASK_CONTROL },
             Case { "under the leader",
                 { { true, keyCaps }, { true, keyControl }, { true, keyE }, { false, keyE }, { false, keyControl },
                     { false, keyCaps } },
                 underCaps },
         }) {
        for (auto [down, key] : c.keys)
            down ? keyboard.press(key) : keyboard.release(key);
        keyboard.press(keyE);
        keyboard.release(keyE);
        std::vector<std::string> seen = right->seen();
        EXPECT_EQ(std::count(seen.begin(), seen.end(), press(keyE, c.ctrlE)), 1)
            << c.name << testing::PrintToString(seen);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), press(keyE)), 1) << c.name << testing::PrintToString(seen);
        EXPECT_FALSE(capsLockOn()) << c.name;
        right->clear();
    }
    EXPECT_TRUE(windowsOf("org.example.Leader").empty());
}

TEST_F(X11LeaderTest, ALeaderChordBoundToFillFills)
{
    keyboard.chord({ keyCaps });
    keyboard.chord({ keyF });
    EXPECT_TRUE(fills(right->window.id));
    EXPECT_TRUE(right->seen().empty());
    EXPECT_FALSE(capsLockOn());
}

// Layouts and repeat

TEST_F(X11AppKeyTest, ChordsWorkInTheSecondLayoutGroup)
{
    startApp(keyConfig());
    sideBySide();
    ASSERT_EQ(std::system("setxkbmap -layout us,ru"), 0);
    keyboard.lockGroup(1);
    // The app grabs again once it sees the new keymap and group.
    EXPECT_TRUE(eventually([&] {
        keyboard.chord({ keyControl, keyAlt, keyH });
        return eventually([&] { return active() == left->window.id; }, 0.2);
    }));
    focus(right->window.id);
    keyboard.chord({ keyControl, keyAlt, keyH });
    EXPECT_TRUE(isActive(left->window.id));
    keyboard.lockGroup(0);
}

TEST_F(X11AppKeyTest, AHeldChordFillsOnce)
{
    startApp(keyConfig());
    sideBySide();
    ASSERT_TRUE(repeatsHeldKeys(keyboard, *right)) << "the desktop does not repeat held keys";

    keyboard.press(keyControl);
    keyboard.press(keyAlt);
    keyboard.press(keyF);
    ASSERT_TRUE(fills(right->window.id));
    // Put back while the chord is still held: a repeat that filled again would be seen.
    Frame small { 500, 100, 300, 200 };
    windows.windowSystem().setFrame(WindowHandle { right->window.id }, small, AxisWrite::positionThenSize);
    ASSERT_TRUE(eventually([&] { return frameOf(right->window.id)->width < 400; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    keyboard.release(keyF);
    keyboard.release(keyAlt);
    keyboard.release(keyControl);
    EXPECT_LT(frameOf(right->window.id)->width, 400);
    EXPECT_EQ(right->count(press(keyF, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)), 0u);
}

// Application hotkeys

TEST_F(X11AppKeyTest, AnAppHotkeyLaunchesThenFocusesTheApplication)
{
    // The launched window names no application: it is known by the desktop file it was launched from.
    installApplication("org.example.Launched", "--title Launched --position 0,0 --size 300x200");
    startApp(keyConfig({}, "\n[hotkeys]\n\"ctrl+opt+g\" = \"org.example.Launched\"\n"));
    KeyWindow other({ "--title", "Other", "--position", "500,0", "--size", "300x200" });
    opened(other.window.id);
    focus(other.window.id);

    keyboard.chord({ keyControl, keyAlt, keyG });
    ASSERT_TRUE(eventually([&] { return windowsOf("org.example.Launched").size() == 1; }, 10));
    uint32_t launched = windowsOf("org.example.Launched").front().handle.value;
    opened(launched);

    // Behind another window: focused, not launched again.
    focus(other.window.id);
    keyboard.chord({ keyControl, keyAlt, keyG });
    EXPECT_TRUE(isActive(launched));
    EXPECT_EQ(windowsOf("org.example.Launched").size(), 1u);
    EXPECT_EQ(other.count(press(keyG, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)), 0u);
}

// The three windows name one process, as the windows of a browser or a terminal server do.
TEST_F(X11AppKeyTest, AnAppHotkeyCyclesThreeWindowsOfOneProcessLeftToRight)
{
    startApp(keyConfig({}, "\n[hotkeys]\n\"ctrl+opt+g\" = \"org.example.Cycle\"\n"));
    std::vector<std::unique_ptr<TestWindow>> cycled;
    for (const char* position : { "0,0", "500,0", "1000,0" }) {
        cycled.push_back(std::make_unique<TestWindow>(std::vector<std::string> { "--app-id", "org.example.Cycle",
            "--title", "Cycle", "--position", position, "--size", "300x200", "--pid", std::to_string(::getpid()) }));
        opened(cycled.back()->id);
    }
    focus(cycled[1]->id);
    for (size_t expected : { 2, 0, 1 }) {
        keyboard.chord({ keyControl, keyAlt, keyG });
        EXPECT_TRUE(isActive(cycled[expected]->id)) << "window " << expected;
    }
}

// Each window has a process of its own: the whole application hides, not only its first process.
TEST_F(X11AppKeyTest, AnAppHotkeyHidesTheFrontApplicationOnRepeat)
{
    startApp(keyConfig(
        { "hide_on_repeat = true", "cycle_windows = false" }, "\n[hotkeys]\n\"ctrl+opt+g\" = \"org.example.Hide\"\n"));
    TestWindow first({ "--app-id", "org.example.Hide", "--title", "Hide", "--size", "300x200" });
    opened(first.id);
    TestWindow second(
        { "--app-id", "org.example.Hide", "--title", "Hide", "--position", "500,0", "--size", "300x200" });
    opened(second.id);
    focus(second.id);
    keyboard.chord({ keyControl, keyAlt, keyG });
    EXPECT_TRUE(eventually([&] {
        std::vector<WindowFacts> hidden = windowsOf("org.example.Hide");
        return hidden.size() == 2 && hidden[0].minimized && hidden[1].minimized;
    }));
}

// Dotless application ids

TEST_F(X11AppKeyTest, TileTakesDotlessIdsOfDesktopFilesAndRunningApplications)
{
    startApp(keyConfig());
    // Debian ships xterm's desktop file as debian-xterm.desktop (StartupWMClass=XTerm).
    ChildProcess xterm({ "xterm", "-T", "Terminal" });
    ASSERT_TRUE(eventually([&] { return windowsOf("debian-xterm").size() == 1; }, 10));
    uint32_t terminal = windowsOf("debian-xterm").front().handle.value;
    opened(terminal);
    ToolRun tiled = runTool({ "tile", "debian-xterm", "left-half" });
    EXPECT_EQ(tiled.status, 0) << tiled.output;
    EXPECT_EQ(tiled.output, "Tiled debian-xterm to left-half.\n");
    // xterm sizes itself in whole character cells: it lands at the left, within a cell of half the display.
    EXPECT_TRUE(eventually([&] {
        std::optional<Frame> frame = frameOf(terminal);
        return frame && std::abs(frame->x) < 1 && std::abs(frame->width - 480) < 20;
    }));

    // A window that names itself only through WM_CLASS, and has no desktop file.
    TestWindow tool({ "--class", "toolbox,Toolbox", "--title", "Toolbox", "--size", "300x200" });
    opened(tool.id);
    EXPECT_EQ(runTool({ "tile", "Toolbox", "right-half" }).status, 0);
    EXPECT_TRUE(eventually([&] {
        std::optional<Frame> frame = frameOf(tool.id);
        return frame && std::abs(frame->x - 480) < 1;
    }));

    ToolRun nothing = runTool({ "tile", "nothinghere", "left-half" });
    EXPECT_EQ(nothing.status, 5);
    EXPECT_EQ(nothing.output, "No app named nothinghere.\n");
    xterm.signal(SIGTERM);
}

// The login item

TEST_F(X11AppKeyTest, TheLoginItemFollowsTheSetting)
{
    std::string entry = paths.autostartDirectory() + "/quorvane.desktop";
    startApp(keyConfig());
    EXPECT_FALSE(std::filesystem::exists(entry));
    writeConfig(keyConfig({ "launch_at_login = true" }));
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(entry); }));
    std::string text = readFile(entry);
    std::string program = std::filesystem::canonical(builtProgram("app/quorvane-app")).string();
    EXPECT_NE(text.find("\nTryExec=" + program + "\n"), std::string::npos) << text;
    writeConfig(keyConfig());
    EXPECT_TRUE(eventually([&] { return !std::filesystem::exists(entry); }));
}

} // namespace
} // namespace quorvane
