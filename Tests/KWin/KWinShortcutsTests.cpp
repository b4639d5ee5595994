#include "KWin/HeadlessKWin.h"

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/MacKeyCodes.h"
#include "Platforms/KWin/KWinDesktop.h"
#include "Platforms/KWin/KWinKeyboardTap.h"
#include "Platforms/KWin/KWinShortcuts.h"
#include "QuorvaneApp/Platform/HotkeyRegistrar.h"
#include "QuorvaneApp/Platform/KeyboardTap.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

class KWinShortcutsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        desktop = new test::HeadlessKWin();
        if (!desktop->skipReason())
            reader = new test::KWinReader();
    }
    static void TearDownTestSuite()
    {
        delete reader;
        delete desktop;
    }
    void SetUp() override
    {
        if (desktop->skipReason())
            GTEST_SKIP() << *desktop->skipReason();
        hotkeys().setPressHandler([this](uint32_t id) { pressed.push_back(id); });
    }
    void TearDown() override
    {
        if (reader)
            for (uint32_t id : { 1u, 2u, 3u })
                hotkeys().unregisterChord(id);
    }

    HotkeyRegistrar& hotkeys() { return reader->desktop().hotkeys(); }

    static KeyChord chord(const char* letter, std::set<HotkeyModifier> modifiers)
    {
        return { *MacKeyCodes::code(HotkeyKey::character(letter)), std::move(modifiers) };
    }

    static bool invoke(const std::string& sequence) { return test::invokeShortcut(sequence); }

    bool pressedOnly(std::vector<uint32_t> expected)
    {
        return test::eventually([&] {
            reader->turn();
            return pressed == expected;
        });
    }

    std::vector<uint32_t> pressed;
    static test::HeadlessKWin* desktop;
    static test::KWinReader* reader;
};

test::HeadlessKWin* KWinShortcutsTest::desktop = nullptr;
test::KWinReader* KWinShortcutsTest::reader = nullptr;

using enum HotkeyModifier;

TEST_F(KWinShortcutsTest, ARegisteredChordReachesThePressHandlerUntilItIsDropped)
{
    ASSERT_TRUE(hotkeys().registerChord(1, chord("t", { cmd, opt })));
    ASSERT_TRUE(hotkeys().registerChord(2, chord("y", { cmd, opt })));
    ASSERT_TRUE(invoke("Meta+Alt+T"));
    EXPECT_TRUE(pressedOnly({ 1 }));
    ASSERT_TRUE(invoke("Meta+Alt+Y"));
    EXPECT_TRUE(pressedOnly({ 1, 2 }));

    hotkeys().unregisterChord(1);
    invoke("Meta+Alt+T");
    ASSERT_TRUE(invoke("Meta+Alt+Y"));
    EXPECT_TRUE(pressedOnly({ 1, 2, 2 }));
    // Dropped, the chord leaves the shortcut service too, so its keys are free for other programs.
    EXPECT_FALSE(test::shortcutListed(KWinShortcuts::shortcutName("Meta+Alt+T")));
    EXPECT_TRUE(test::shortcutListed(KWinShortcuts::shortcutName("Meta+Alt+Y")));
}

// KWin 5.27 numbers a new script by how many are loaded: once an earlier one is unloaded, the next gets a number
// a later one still holds, and running the script by its number runs that one instead.
TEST_F(KWinShortcutsTest, AChordRegisteredAfterAnEarlierOneWasDroppedWorks)
{
    ASSERT_TRUE(hotkeys().registerChord(1, chord("p", { cmd, opt })));
    ASSERT_TRUE(hotkeys().registerChord(2, chord("l", { cmd, opt })));
    hotkeys().unregisterChord(1);
    ASSERT_TRUE(hotkeys().registerChord(3, chord("n", { cmd, opt })));
    ASSERT_TRUE(invoke("Meta+Alt+N"));
    EXPECT_TRUE(pressedOnly({ 3 }));
}

TEST_F(KWinShortcutsTest, AChordKWinHoldsIsRefused)
{
    // Alt+F4 closes windows in KWin.
    KeyChord closing { *MacKeyCodes::code(HotkeyKey::named("f4")), { opt } };
    EXPECT_FALSE(hotkeys().registerChord(1, closing));
    EXPECT_TRUE(hotkeys().registerChord(2, chord("j", { cmd, opt })));
}

TEST_F(KWinShortcutsTest, AChordAlreadyHeldIsRefusedAndFreedWhenItsHolderLetsGo)
{
    ASSERT_TRUE(hotkeys().registerChord(1, chord("u", { cmd, ctrl })));
    EXPECT_FALSE(hotkeys().registerChord(2, chord("u", { cmd, ctrl })));
    hotkeys().unregisterChord(1);
    EXPECT_TRUE(hotkeys().registerChord(3, chord("u", { cmd, ctrl })));
    ASSERT_TRUE(invoke("Meta+Ctrl+U"));
    EXPECT_TRUE(pressedOnly({ 3 }));
}

TEST_F(KWinShortcutsTest, ARegisteredChordChangesItsKeys)
{
    ASSERT_TRUE(hotkeys().registerChord(1, chord("i", { cmd, opt })));
    ASSERT_TRUE(hotkeys().registerChord(1, chord("o", { cmd, opt })));
    // The old keys are free again.
    EXPECT_TRUE(hotkeys().registerChord(2, chord("i", { cmd, opt })));
    ASSERT_TRUE(invoke("Meta+Alt+O"));
    EXPECT_TRUE(pressedOnly({ 1 }));
}

TEST_F(KWinShortcutsTest, TheLeaderKeyIsHeldAlwaysAndItsSecondKeysOnlyWhileItIsArmed)
{
    KeyboardTap& tap = reader->desktop().keyboardTap();
    std::vector<KeyEvent> seen;
    tap.start([&seen](const KeyEvent& event) {
        seen.push_back(event);
        return true;
    });
    uint32_t caps = *MacKeyCodes::code(HotkeyKey::named("caps")), e = *MacKeyCodes::code(HotkeyKey::character("e"));
    // Fires the shortcut until the handler has seen the event: a script is listed a moment before its keys work.
    auto fires = [&](const std::string& name, const KeyEvent& expected) {
        seen.clear();
        return test::eventually([&] {
            test::invokeShortcutNamed(name);
            reader->turn();
            return !seen.empty() && seen.back() == expected;
        });
    };
    KeyInterest idle { caps, { e }, false, false, { e }, {}, {} };
    KeyInterest armed = idle;
    armed.leaderArmed = true;

    tap.setInterest(idle);
    EXPECT_TRUE(test::kwinScriptLoaded("quorvane-test-leader"));
    EXPECT_FALSE(test::kwinScriptLoaded("quorvane-test-keys"));
    EXPECT_TRUE(
        fires(KWinKeyboardTap::leaderShortcutName("CapsLock"), KeyEvent { KeyEvent::Type::keyDown, caps, {}, "" }));

    tap.setInterest(armed);
    EXPECT_TRUE(test::kwinScriptLoaded("quorvane-test-keys"));
    const struct {
        const char* sequence;
        KeyEvent event;
    } secondKeys[] = {
        { "E", { KeyEvent::Type::keyDown, e, {}, "e" } },
        { "Shift+E", { KeyEvent::Type::keyDown, e, { shift }, "E" } },
    };
    for (const auto& key : secondKeys)
        EXPECT_TRUE(fires(KWinKeyboardTap::shortcutName(key.sequence), key.event)) << key.sequence;

    // The wait over, the second keys type again; the leader stays held until no leader key is set.
    tap.setInterest(idle);
    EXPECT_FALSE(test::kwinScriptLoaded("quorvane-test-keys"));
    EXPECT_TRUE(test::kwinScriptLoaded("quorvane-test-leader"));
    tap.setInterest({});
    EXPECT_FALSE(test::kwinScriptLoaded("quorvane-test-leader"));
}

} // namespace
} // namespace quorvane
