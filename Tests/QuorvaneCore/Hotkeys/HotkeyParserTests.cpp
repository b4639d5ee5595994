#include "Hotkeys/HotkeyParser.h"

#include "Hotkeys/MacKeyCodes.h"
#include "Hotkeys/SystemHotkeys.h"
#include "Support/QuorvaneError.h"

#include <gtest/gtest.h>
#include <unordered_set>

namespace quorvane {
namespace {

void expectParses(std::string_view text, std::string_view canonical, std::string_view display)
{
    SCOPED_TRACE(text);
    try {
        HotkeyChord chord = HotkeyParser::parse(text);
        EXPECT_EQ(chord.canonical(), canonical);
        EXPECT_EQ(chord.display(), display);
        EXPECT_EQ(HotkeyParser::parse(chord.canonical()), chord);
    } catch (const QuorvaneError& error) {
        ADD_FAILURE() << "failed with " << error.message();
    }
}

void expectError(std::string_view text, std::string_view message)
{
    SCOPED_TRACE(text);
    try {
        HotkeyParser::parse(text);
        ADD_FAILURE() << "parsed";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), message);
        EXPECT_EQ(error.code(), "usage");
        EXPECT_EQ(error.exitCode(), 1);
    }
}

void expectNotAKey(std::string_view text, std::string_view key)
{
    expectError(text, "\u201C" + std::string(key) + "\u201D is not a key Quorvane can bind.");
}

std::optional<uint32_t> keyCode(std::string_view text)
{
    return MacKeyCodes::code(HotkeyParser::parse(text).key);
}

TEST(HotkeyParser, EveryNamedKeyHasItsFaceAndCodeAndEveryAliasItsName)
{
    struct Named {
        const char* name;
        const char* face;
        uint32_t code;
    };
    const Named named[] = { { "space", "Space", 0x31 }, { "return", "Return", 0x24 }, { "escape", "Esc", 0x35 },
        { "tab", "Tab", 0x30 }, { "left", "\u2190", 0x7B }, { "right", "\u2192", 0x7C }, { "down", "\u2193", 0x7D },
        { "up", "\u2191", 0x7E }, { "delete", "Delete", 0x33 }, { "forwarddelete", "Forwarddelete", 0x75 },
        { "home", "Home", 0x73 }, { "end", "End", 0x77 }, { "pageup", "Pageup", 0x74 },
        { "pagedown", "Pagedown", 0x79 }, { "caps", "Caps", 0x39 }, { "minus", "-", 0x1B }, { "equal", "=", 0x18 },
        { "comma", ",", 0x2B }, { "period", ".", 0x2F }, { "slash", "/", 0x2C }, { "semicolon", ";", 0x29 },
        { "quote", "'", 0x27 }, { "backslash", "\\", 0x2A }, { "grave", "`", 0x32 }, { "leftbracket", "[", 0x21 },
        { "rightbracket", "]", 0x1E } };
    for (const Named& key : named) {
        std::string text = std::string("ctrl+") + key.name;
        expectParses(text, text, std::string("\u2303") + key.face);
        EXPECT_EQ(keyCode(text), key.code) << key.name;
    }
    const std::pair<const char*, const char*> aliases[] = { { "spacebar", "space" }, { "enter", "return" },
        { "esc", "escape" }, { "arrowleft", "left" }, { "arrowright", "right" }, { "arrowdown", "down" },
        { "ArrowUp", "up" }, { "CapsLock", "caps" }, { "[", "leftbracket" }, { "]", "rightbracket" } };
    for (auto [alias, name] : aliases)
        EXPECT_EQ(HotkeyParser::parse(std::string("ctrl+") + alias).key.canonical(), name) << alias;
}

TEST(HotkeyParser, LettersAndDigitsHaveTheirANSIKeyCodes)
{
    const std::string keys = "asdfhgzxcvbqwerytouipljknm1234659780";
    const uint32_t codes[] = { 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
        0x10, 0x11, 0x1F, 0x20, 0x22, 0x23, 0x25, 0x26, 0x28, 0x2D, 0x2E, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x19,
        0x1A, 0x1C, 0x1D };
    for (size_t index = 0; index < keys.size(); ++index) {
        std::string upper(1, static_cast<char>(std::toupper(keys[index])));
        expectParses("cmd+" + upper, "cmd+" + std::string(1, keys[index]), "\u2318" + upper);
        EXPECT_EQ(keyCode("cmd+" + upper), codes[index]) << keys[index];
    }
    expectParses("ctrl+\xC3\x89", "ctrl+\xC3\xA9", "\u2303\xC3\x89"); // É is held as é and shown as É
    EXPECT_EQ(keyCode("ctrl+\xC3\xA9"), std::nullopt);
}

TEST(HotkeyParser, FunctionKeysOneToTwentyWithOrWithoutLeadingZeros)
{
    const uint32_t codes[] = { 0x7A, 0x78, 0x63, 0x76, 0x60, 0x61, 0x62, 0x64, 0x65, 0x6D, 0x67, 0x6F, 0x69, 0x6B, 0x71,
        0x6A, 0x40, 0x4F, 0x50, 0x5A };
    for (int number = 1; number <= 20; ++number) {
        std::string digits = std::to_string(number);
        expectParses("cmd+F" + digits, "cmd+f" + digits, "\u2318F" + digits);
        EXPECT_EQ(keyCode("cmd+f" + digits), codes[number - 1]) << number;
    }
    for (const char* key : { "f0", "f21", "f1a", "f00" })
        expectNotAKey(std::string("cmd+") + key, key);

    // Leading zeros name the same key; a run of digits far past any integer's range is simply not a key.
    expectParses("ctrl+F0012", "ctrl+f12", "\u2303F12");
    EXPECT_EQ(keyCode("ctrl+f020"), 0x5Au);
    expectNotAKey("ctrl+f99999999999999999999999999999999999999", "f99999999999999999999999999999999999999");
    expectNotAKey("ctrl+f00000000000000000000000000000000000021", "f00000000000000000000000000000000000021");
    expectParses("ctrl+f00000000000000000000000000000000000002", "ctrl+f2", "\u2303F2");
}

TEST(HotkeyParser, ModifiersAndTheirAliasesInAnyOrder)
{
    expectParses("\tCTRL + Opt+L\n", "ctrl+opt+l", "\u2303\u2325L");
    expectParses("control+option+shift+command+h", "ctrl+opt+shift+cmd+h", "\u2303\u2325\u21E7\u2318H");
    expectParses("cmd+shift+alt+ctl+h", "ctrl+opt+shift+cmd+h", "\u2303\u2325\u21E7\u2318H");
    expectParses("ctrl+ctrl+x", "ctrl+x", "\u2303X");
    expectParses("Opt + Control + [", "ctrl+opt+leftbracket", "\u2303\u2325[");
    EXPECT_EQ(std::unordered_set<HotkeyChord>({ HotkeyParser::parse("opt+ctrl+l"), HotkeyParser::parse("ctrl+opt+l") })
                  .size(),
        1u);
}

TEST(HotkeyParser, LeaderChords)
{
    expectParses("leader+e", "leader+e", "Leader e");
    expectParses("hyper+e", "leader+e", "Leader e");
    expectParses("leader+leader+E", "leader+e", "Leader e");
    expectParses("leader+space", "leader+space", "Leader space");
    EXPECT_TRUE(HotkeyParser::parse("hyper+e").isLeader());
    EXPECT_FALSE(HotkeyParser::parse("ctrl+e").isLeader());
}

TEST(HotkeyParser, GlyphForm)
{
    expectParses("\u2303\u2325 H", "ctrl+opt+h", "\u2303\u2325H");
    expectParses("\u2318\u21E7K", "shift+cmd+k", "\u21E7\u2318K");
    expectParses("\u2325\u2303[", "ctrl+opt+leftbracket", "\u2303\u2325[");
    expectParses("\u2318 Space", "cmd+space", "\u2318Space");
    expectNotAKey("\u2303\u2325+h", "+h");
    expectNotAKey("\u2303\u2325", "");
}

TEST(HotkeyParser, EveryFailureHasItsMessage)
{
    expectError("  \n", "A hotkey needs a key.");
    expectError(" ctrl++a", "\u201C ctrl++a\u201D has an empty hotkey piece.");
    expectError("win+nope+", "\u201Cwin+nope+\u201D has an empty hotkey piece.");
    expectError("ctrl+ WIN +a", "\u201Cwin\u201D is not a modifier. Use ctrl, opt, shift, cmd, or leader.");
    expectNotAKey("ctrl+opt+-", "-");
    expectNotAKey("ctrl+Nope", "nope");
    expectNotAKey("ctrl+ab", "ab");
    expectError("e", "\u201Ce\u201D needs a modifier, or use leader+e.");
    expectError(" Esc ", "\u201C Esc \u201D needs a modifier, or use leader+escape.");
    expectError("leader+ctrl+e", "\u201Cleader+ctrl+e\u201D mixes the leader key with other modifiers.");
}

TEST(SystemHotkeys, ReservedWhateverTheSpelling)
{
    const char* reserved[] = { "cmd+space", "opt+cmd+space", "ctrl+cmd+space", "ctrl+up", "ctrl+down", "ctrl+left",
        "ctrl+right", "opt+cmd+escape", "ctrl+cmd+q", "shift+cmd+q", "shift+cmd+3", "shift+cmd+4", "shift+cmd+5",
        "cmd+opt+esc", "command+control+spacebar", "ctrl+arrowup", "\u2318\u21E73", "cmd+shift+Q" };
    for (const char* text : reserved)
        EXPECT_EQ(SystemHotkeys::reservation(HotkeyParser::parse(text)), "macOS uses this chord.") << text;
    for (const char* text : { "ctrl+opt+space", "shift+cmd+6", "opt+escape", "leader+space", "ctrl+shift+up" })
        EXPECT_EQ(SystemHotkeys::reservation(HotkeyParser::parse(text)), std::nullopt) << text;
}

TEST(HotkeyParser, LenientReadersSwallowErrors)
{
    EXPECT_EQ(HotkeyParser::parseLeader(" CapsLock "), HotkeyKey::named("caps"));
    EXPECT_EQ(HotkeyParser::parseLeader("F05"), HotkeyKey::named("f5"));
    EXPECT_EQ(HotkeyParser::parseLeader("G"), HotkeyKey::character("g"));
    for (const char* text : { "", " \t", "nope", "ctrl+a" })
        EXPECT_EQ(HotkeyParser::parseLeader(text), std::nullopt) << text;

    using Caps = std::vector<std::string>;
    EXPECT_EQ(hotkeyKeycaps("cmd+shift+opt+ctrl+f5"), (Caps { "\u2303", "\u2325", "\u21E7", "\u2318", "F5" }));
    EXPECT_EQ(hotkeyKeycaps("bad"), Caps {});
}

TEST(MacKeyCodes, CarbonMaskAddsTheModifierBits)
{
    auto mask = [](std::string_view text) { return MacKeyCodes::carbonModifiers(HotkeyParser::parse(text).modifiers); };
    const std::pair<const char*, uint32_t> masks[] = { { "ctrl+a", 0x1000 }, { "opt+a", 0x0800 }, { "shift+a", 0x0200 },
        { "cmd+a", 0x0100 }, { "ctrl+opt+shift+cmd+a", 0x1B00 }, { "leader+a", 0 } };
    for (auto [text, bits] : masks)
        EXPECT_EQ(mask(text), bits) << text;
}

} // namespace
} // namespace quorvane
