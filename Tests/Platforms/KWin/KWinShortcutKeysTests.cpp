#include "Platforms/KWin/KWinShortcutKeys.h"

#include "Hotkeys/HotkeyKey.h"
#include "Hotkeys/MacKeyCodes.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

KeyChord chord(const HotkeyKey& key, std::set<HotkeyModifier> modifiers)
{
    return { *MacKeyCodes::code(key), std::move(modifiers) };
}

TEST(KWinShortcutKeysTest, ChordsAreWrittenAsQtKeySequences)
{
    using enum HotkeyModifier;
    struct Case {
        HotkeyKey key;
        std::set<HotkeyModifier> modifiers;
        const char* sequence;
    };
    const Case cases[] = {
        { HotkeyKey::character("t"), { cmd, opt }, "Meta+Alt+T" },
        { HotkeyKey::character("7"), { ctrl }, "Ctrl+7" },
        // Every modifier in Qt's order, whatever order the chord names them in.
        { HotkeyKey::character("a"), { shift, opt, ctrl, cmd }, "Meta+Ctrl+Alt+Shift+A" },
        { HotkeyKey::named("delete"), { cmd }, "Meta+Backspace" },
        { HotkeyKey::named("forwarddelete"), { cmd }, "Meta+Del" },
        { HotkeyKey::named("escape"), {}, "Esc" },
        { HotkeyKey::named("caps"), {}, "CapsLock" },
        { HotkeyKey::named("leftbracket"), { opt }, "Alt+[" },
        { HotkeyKey::named("backslash"), { opt }, "Alt+\\" },
        { HotkeyKey::named("f20"), { shift }, "Shift+F20" },
        { HotkeyKey::named("pagedown"), { ctrl }, "Ctrl+PgDown" },
    };
    for (const Case& one : cases)
        EXPECT_EQ(KWinShortcutKeys::sequence(chord(one.key, one.modifiers)), one.sequence) << one.sequence;
}

TEST(KWinShortcutKeysTest, AKeyWithoutANameHasNoSequence)
{
    EXPECT_EQ(KWinShortcutKeys::sequence({ 0xFFFF, { HotkeyModifier::cmd } }), std::nullopt);
}

} // namespace
} // namespace quorvane
