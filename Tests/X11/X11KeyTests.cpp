// Chords and the keyboard tap against a real X server: keys sent with XTest, as a keyboard would send them,
// and a test window that logs the key events that reach it.
#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/MacKeyCodes.h"
#include "Platforms/X11/X11HotkeyRegistrar.h"
#include "Platforms/X11/X11KeyTable.h"
#include "Platforms/X11/X11KeyboardTap.h"
#include "X11/TestKeyboard.h"
#include "X11/VirtualDesktop.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace quorvane {
namespace {

using namespace test;

uint32_t code(const std::string& key)
{
    return *MacKeyCodes::code(key.size() == 1 ? HotkeyKey::character(key) : HotkeyKey::named(key));
}

// Turns GLib's main context, where the registrar's events arrive, until `condition` holds.
bool pumpUntil(const std::function<bool()>& condition, double seconds = 3)
{
    return eventually(
        [&] {
            while (g_main_context_iteration(nullptr, false)) { }
            return condition();
        },
        seconds);
}

void pumpFor(double seconds)
{
    pumpUntil([] { return false; }, seconds);
}

class X11KeyTest : public testing::Test {
protected:
    static void SetUpTestSuite() { desktop = new test::VirtualDesktop(); }
    static void TearDownTestSuite()
    {
        delete desktop;
        desktop = nullptr;
    }

    // A focused window that logs its keys.
    std::unique_ptr<TestWindow> focusedWindow()
    {
        auto window = std::make_unique<TestWindow>(std::vector<std::string> { "--keys", "--title", "Keys" });
        KeyLog log(*window);
        // Focused once a probe key arrives.
        eventually([&] {
            keyboard.chord({ keyJ });
            return !log.take(0.05).empty();
        });
        log.take();
        return window;
    }

    static test::VirtualDesktop* desktop;
    Keyboard keyboard;
};

test::VirtualDesktop* X11KeyTest::desktop = nullptr;

TEST(X11KeyTableTest, EveryKeyOfTheChordGrammarHasAKeysym)
{
    std::vector<std::string> keys { "space", "return", "escape", "tab", "left", "right", "down", "up", "delete",
        "forwarddelete", "home", "end", "pageup", "pagedown", "caps", "minus", "equal", "comma", "period", "slash",
        "semicolon", "quote", "backslash", "grave", "leftbracket", "rightbracket", "f1", "f20" };
    for (char key = 'a'; key <= 'z'; ++key)
        keys.push_back(std::string(1, key));
    for (char key = '0'; key <= '9'; ++key)
        keys.push_back(std::string(1, key));
    for (const std::string& key : keys) {
        std::optional<uint32_t> keysym = X11KeyTable::keysym(code(key));
        ASSERT_TRUE(keysym) << key;
        EXPECT_EQ(X11KeyTable::keyCode(*keysym), code(key)) << key;
    }
}

TEST_F(X11KeyTest, AChordFiresOncePerPressWhateverTheLocksSay)
{
    auto window = focusedWindow();
    KeyLog log(*window);
    X11HotkeyRegistrar registrar("");
    std::vector<uint32_t> fired;
    registrar.setPressHandler([&](uint32_t id) { fired.push_back(id); });
    ASSERT_TRUE(registrar.registerChord(7, { code("h"), { HotkeyModifier::ctrl, HotkeyModifier::opt } }));

    for (auto [caps, num] : { std::pair(false, false), { true, false }, { false, true }, { true, true } }) {
        keyboard.setLocks(caps, num);
        size_t before = fired.size();
        keyboard.chord({ keyControl, keyAlt, keyH });
        EXPECT_TRUE(pumpUntil([&] { return fired.size() == before + 1; })) << caps << num;
    }
    keyboard.setLocks(false, false);
    EXPECT_EQ(fired, std::vector<uint32_t>(4, 7));
    std::vector<std::string> seen = log.take();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), press(keyH, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)), 0);

    // Held for a second: the server repeats the key (the window sees it), the chord fires once.
    keyboard.press(keyQ);
    pumpFor(1.0);
    keyboard.release(keyQ);
    seen = log.take();
    ASSERT_GT(std::count(seen.begin(), seen.end(), press(keyQ)), 1) << "the desktop does not repeat held keys";
    keyboard.press(keyControl);
    keyboard.press(keyAlt);
    keyboard.press(keyH);
    pumpFor(1.0);
    keyboard.release(keyH);
    keyboard.release(keyAlt);
    keyboard.release(keyControl);
    pumpFor(0.2);
    EXPECT_EQ(fired.size(), 5u);

    // Dropped: the chord types into the window again.
    registrar.unregisterChord(7);
    log.take();
    keyboard.chord({ keyControl, keyAlt, keyH });
    seen = log.take();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), press(keyH, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)), 1);
}

TEST_F(X11KeyTest, AChordAnotherProgramHoldsIsRefusedAndLeavesNoGrab)
{
    auto window = focusedWindow();
    KeyLog log(*window);
    Keyboard other;
    other.grab(keyJ, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2);
    X11HotkeyRegistrar registrar("");
    int fired = 0;
    registrar.setPressHandler([&](uint32_t) { ++fired; });
    EXPECT_FALSE(registrar.registerChord(1, { code("j"), { HotkeyModifier::ctrl, HotkeyModifier::opt } }));

    // The variants that were granted were given back: without Num Lock the chord reaches the window.
    keyboard.chord({ keyControl, keyAlt, keyJ });
    pumpFor(0.2);
    EXPECT_EQ(fired, 0);
    std::vector<std::string> seen = log.take();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), press(keyJ, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)), 1);
}

TEST_F(X11KeyTest, ChordsFollowTheLayoutGroup)
{
    X11HotkeyRegistrar registrar("");
    int fired = 0;
    registrar.setPressHandler([&](uint32_t) { ++fired; });
    ASSERT_TRUE(registrar.registerChord(1, { code("h"), { HotkeyModifier::ctrl, HotkeyModifier::opt } }));
    struct Case {
        const char* layout;
        uint8_t group;
        // The key that types h then.
        uint8_t key;
    };
    // Russian has no h: the chord stays on the us key. Dvorak puts h where us has j.
    for (Case c : { Case { "-layout us,ru", 1, keyH }, Case { "-layout us,us -variant ,dvorak", 1, keyJ },
             Case { "-layout us,us -variant ,dvorak", 0, keyH } }) {
        ASSERT_EQ(std::system(("setxkbmap " + std::string(c.layout)).c_str()), 0);
        keyboard.lockGroup(c.group);
        pumpFor(0.2);
        int before = fired;
        keyboard.chord({ keyControl, keyAlt, c.key });
        EXPECT_TRUE(pumpUntil([&] { return fired == before + 1; })) << c.layout << " group " << int(c.group);
    }
    keyboard.lockGroup(0);
    ASSERT_EQ(std::system("setxkbmap -layout us"), 0);
}

// A tap whose handler swallows what a test says and records what it saw.
struct RecordingTap {
    explicit RecordingTap(std::function<bool(const KeyEvent&)> decide)
        : decide(std::move(decide))
    {
        EXPECT_TRUE(tap.available()) << tap.missing();
        EXPECT_TRUE(tap.start([this](const KeyEvent& event) {
            std::lock_guard guard(lock);
            seen.push_back(event);
            return this->decide(event);
        }));
    }
    // Tells the tap its interest and waits until the server has its grabs.
    void interest(const KeyInterest& interest)
    {
        tap.setInterest(interest);
        pumpFor(0.1);
    }
    std::vector<KeyEvent> events()
    {
        std::lock_guard guard(lock);
        return seen;
    }

    X11KeyboardTap tap { "" };
    std::function<bool(const KeyEvent&)> decide;
    std::mutex lock;
    std::vector<KeyEvent> seen;
};

bool bare(const KeyEvent& event)
{
    return !event.modifiers.contains(HotkeyModifier::ctrl) && !event.modifiers.contains(HotkeyModifier::opt)
        && !event.modifiers.contains(HotkeyModifier::cmd);
}

TEST_F(X11KeyTest, TileModeSwallowsItsKeysAndEveryOtherKeyArrivesOnceInOrder)
{
    auto window = focusedWindow();
    KeyLog log(*window);
    RecordingTap recording([](const KeyEvent& event) { return event.keyCode == code("h") && bare(event); });
    recording.interest({ std::nullopt, { code("h") }, true, false });

    keyboard.chord({ keyH });
    keyboard.chord({ keyShift, keyH });
    keyboard.chord({ keySuper, keyH });
    keyboard.chord({ keyQ });
    std::vector<std::string> seen = log.take();
    EXPECT_EQ(seen,
        (std::vector<std::string> { press(keyShift), release(keyShift, XCB_MOD_MASK_SHIFT), press(keySuper),
            press(keyH, XCB_MOD_MASK_4), release(keyH, XCB_MOD_MASK_4), release(keySuper, XCB_MOD_MASK_4), press(keyQ),
            release(keyQ) }));
    std::vector<KeyEvent> decided = recording.events();
    ASSERT_EQ(decided.size(), 2u);
    EXPECT_EQ(decided[1].modifiers, std::set { HotkeyModifier::shift });
    EXPECT_EQ(decided[1].characters, "H");

    // Rolled over: h held while q goes down and up; q reaches the window once, h never.
    keyboard.press(keyH);
    keyboard.press(keyQ);
    keyboard.release(keyH);
    keyboard.release(keyQ);
    seen = log.take();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), press(keyQ)), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), press(keyH)), 0);

    // Tile mode off: h types again.
    recording.interest({ std::nullopt, { code("h") }, false, false });
    keyboard.chord({ keyH });
    EXPECT_EQ(log.take(), (std::vector<std::string> { press(keyH), release(keyH) }));
}

TEST_F(X11KeyTest, TheCapsLeaderNeverReachesTheWindowNorChangesCapsLock)
{
    auto window = focusedWindow();
    KeyLog log(*window);
    std::atomic<bool> armed = false;
    std::atomic<int> fired = 0;
    RecordingTap recording([&](const KeyEvent& event) {
        if (event.keyCode == code("caps")) {
            armed = true;
            return true;
        }
        if (event.type != KeyEvent::Type::keyDown || !armed.exchange(false))
            return false;
        bool completes = event.keyCode == code("e") && bare(event);
        fired += completes;
        return completes;
    });
    recording.interest({ code("caps"), { code("e") }, false, false });

    keyboard.chord({ keyCaps });
    keyboard.chord({ keyE });
    EXPECT_TRUE(log.take().empty());
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(keyboard.lockedModifiers() & XCB_MOD_MASK_LOCK, 0);

    // ctrl+E spends the leader and passes; E alone then types.
    keyboard.chord({ keyCaps });
    keyboard.chord({ keyControl, keyE });
    keyboard.chord({ keyE });
    EXPECT_EQ(log.take(),
        (std::vector<std::string> { press(keyControl), press(keyE, XCB_MOD_MASK_CONTROL),
            release(keyE, XCB_MOD_MASK_CONTROL), release(keyControl, XCB_MOD_MASK_CONTROL), press(keyE),
            release(keyE) }));
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(keyboard.lockedModifiers() & XCB_MOD_MASK_LOCK, 0);
}

} // namespace
} // namespace quorvane

namespace quorvane {
namespace {

TEST_F(X11KeyTest, AHandlerThatDoesNotAnswerInTimeLetsTheKeyThrough)
{
    auto window = focusedWindow();
    KeyLog log(*window);
    RecordingTap recording([](const KeyEvent&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        return true;
    });
    recording.interest({ std::nullopt, { code("q") }, true, false });
    // The handler would swallow the key, but too late: the key has gone to the window by then.
    keyboard.press(keyQ);
    std::optional<std::string> line = window->process.readLine(5);
    keyboard.release(keyQ);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->substr(0, line->rfind(' ')), press(keyQ));
}

} // namespace
} // namespace quorvane
