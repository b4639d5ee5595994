#include "Hotkeys/TileKeys.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

const ResolvedTileChord& entry(const std::vector<ResolvedTileChord>& entries, std::string_view id)
{
    for (const ResolvedTileChord& resolved : entries) {
        if (resolved.id == id)
            return resolved;
    }
    throw std::out_of_range(std::string(id));
}

// One binding as "id|group|title|panel label|bare key|shift|characters|default chord|token".
std::string describe(const TileKeyBinding& binding)
{
    std::string key = (binding.key.kind == HotkeyKey::Kind::character ? "char:" : "") + binding.key.canonical();
    std::string characters;
    for (const std::string& reported : binding.characters)
        characters += (characters.empty() ? "" : ",") + reported;
    return binding.id + "|" + std::string(toString(binding.group)) + "|" + binding.title + "|" + binding.panelLabel
        + "|" + key + "|" + (binding.shifted ? "shift" : "") + "|" + characters + "|" + binding.defaultChord + "|"
        + binding.action.token();
}

TEST(TileKeys, TheTwentySevenBindingsInRegistrationOrder)
{
    const char* rows[] = {
        "focus_left|focus|Focus left|\u2190|left||\uF702|ctrl+opt+left|tile:focus-left",
        "focus_down|focus|Focus down|\u2193|down||\uF701|ctrl+opt+down|tile:focus-down",
        "focus_up|focus|Focus up|\u2191|up||\uF700|ctrl+opt+up|tile:focus-up",
        "focus_right|focus|Focus right|\u2192|right||\uF703|ctrl+opt+right|tile:focus-right",
        "focus_h|focus|Focus left (H)|H|char:h||h|ctrl+opt+h|tile:focus-left",
        "focus_j|focus|Focus down (J)|J|char:j||j|ctrl+opt+j|tile:focus-down",
        "focus_k|focus|Focus up (K)|K|char:k||k|ctrl+opt+k|tile:focus-up",
        "focus_l|focus|Focus right (L)|L|char:l||l|ctrl+opt+cmd+l|tile:focus-right",
        "move_left|move|Move left|\u2190|left|shift|\uF702|ctrl+opt+shift+left|tile:move-left",
        "move_down|move|Move down|\u2193|down|shift|\uF701|ctrl+opt+shift+down|tile:move-down",
        "move_up|move|Move up|\u2191|up|shift|\uF700|ctrl+opt+shift+up|tile:move-up",
        "move_right|move|Move right|\u2192|right|shift|\uF703|ctrl+opt+shift+right|tile:move-right",
        "move_h|move|Move left (H)|H|char:h|shift|h|ctrl+opt+shift+h|tile:move-left",
        "move_j|move|Move down (J)|J|char:j|shift|j|ctrl+opt+shift+j|tile:move-down",
        "move_k|move|Move up (K)|K|char:k|shift|k|ctrl+opt+shift+k|tile:move-up",
        "move_l|move|Move right (L)|L|char:l|shift|l|ctrl+opt+shift+l|tile:move-right",
        "layout_1|layout|Layout 1|1|char:1||1|ctrl+opt+1|tile:layout-1",
        "layout_2|layout|Layout 2|2|char:2||2|ctrl+opt+2|tile:layout-2",
        "layout_3|layout|Layout 3|3|char:3||3|ctrl+opt+3|tile:layout-3",
        "layout_4|layout|Layout 4|4|char:4||4|ctrl+opt+4|tile:layout-4",
        "layout_5|layout|Layout 5|5|char:5||5|ctrl+opt+5|tile:layout-5",
        "layout_6|layout|Layout 6|6|char:6||6|ctrl+opt+6|tile:layout-6",
        "fill|more|Fill screen|F|char:f||f|ctrl+opt+f|tile:fill",
        "previous_display|more|Previous display|[|leftbracket||[|ctrl+opt+leftbracket|tile:previous-display",
        "next_display|more|Next display|]|rightbracket||]|ctrl+opt+rightbracket|tile:next-display",
        "exit_return|more|Leave tile mode|Return|return||\r,\x03|ctrl+opt+return|tile:exit",
        "exit_escape|more|Leave tile mode (Esc)|Esc|escape||\x1B|ctrl+opt+escape|tile:exit",
    };
    const auto& bindings = TileKeys::bindings();
    const auto resolved = TileKeys::resolved({});
    ASSERT_EQ(bindings.size(), std::size(rows));
    ASSERT_EQ(resolved.size(), std::size(rows));
    for (size_t index = 0; index < bindings.size(); ++index) {
        const TileKeyBinding& binding = bindings[index];
        EXPECT_EQ(describe(binding), rows[index]);
        EXPECT_EQ(resolved[index].chord, binding.defaultChord);
        EXPECT_EQ(resolved[index].note.has_value(), binding.id == "focus_l") << binding.id;
    }
    EXPECT_EQ(
        entry(resolved, "focus_l").note, "\u2303\u2325L cycles layouts, so focus right on L is \u2303\u2325\u2318L.");
}

TEST(TileKeys, OverridesThatParseReplaceTheDefault)
{
    struct Case {
        const char *id, *override, *chord;
        bool keepsNote;
    };
    const Case cases[] = {
        { "focus_l", "ctrl+opt+;", "ctrl+opt+cmd+l", true }, // does not parse
        { "focus_l", "ctrl+opt+semicolon", "ctrl+opt+semicolon", false },
        { "focus_l", "cmd+opt+ctrl+L", "ctrl+opt+cmd+l", true }, // the default in another order
        { "fill", "Opt+Ctrl+G", "ctrl+opt+g", true },
        { "next_display", "\u2303\u2325]", "ctrl+opt+rightbracket", true },
        { "exit_escape", "leader+q", "leader+q", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " = " + c.override);
        auto resolved = TileKeys::resolved({ { c.id, c.override } });
        const ResolvedTileChord& changed = entry(resolved, c.id);
        EXPECT_EQ(changed.chord, c.chord);
        EXPECT_EQ(changed.note.has_value(), c.keepsNote && std::string_view(c.id) == "focus_l");
        // Only that binding changes.
        auto defaults = TileKeys::resolved({});
        for (size_t index = 0; index < resolved.size(); ++index) {
            if (resolved[index].id != c.id) {
                EXPECT_EQ(resolved[index], defaults[index]);
            }
        }
    }
    EXPECT_EQ(entry(TileKeys::resolved({ { "fill", "Opt+Ctrl+G" } }), "fill").token, "tile:fill");
    EXPECT_EQ(TileKeys::resolved({ { "focus_x", "ctrl+opt+x" }, { "Fill", "ctrl+opt+x" } }), TileKeys::resolved({}));
}

TEST(TileKeys, BareKeysMatchByKeyCodeThenByCharacters)
{
    struct Case {
        uint32_t keyCode;
        const char* characters;
        bool shift;
        std::optional<TileAction> action;
    };
    const uint32_t unknown = 0x4C; // keypad Enter
    const Case cases[] = { { 0x04, "h", false, TileAction::focus(Direction::left) },
        { 0x04, "h", true, TileAction::move(Direction::left) }, { 0x7B, "", false, TileAction::focus(Direction::left) },
        { 0x7E, "\uF700", true, TileAction::move(Direction::up) }, { 0x16, "6", false, TileAction::layout(6) },
        { 0x12, "!", true, std::nullopt }, { 0x03, "f", false, TileAction::fill() }, { 0x03, "f", true, std::nullopt },
        { 0x21, "\xC3\xBC", false, TileAction::previousDisplay() }, // the key of [ on a German layout
        { 0x1E, "+", false, TileAction::nextDisplay() }, { 0x24, "\r", false, TileAction::exit() },
        { 0x35, "\x1B", false, TileAction::exit() }, { unknown, "\x03", false, TileAction::exit() },
        { unknown, "H", false, TileAction::focus(Direction::left) },
        { unknown, "K", true, TileAction::move(Direction::up) }, { unknown, "[", false, TileAction::previousDisplay() },
        { unknown, "", false, std::nullopt }, { unknown, "x", false, std::nullopt } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keyCode << " " << c.characters << " " << c.shift);
        EXPECT_EQ(TileKeys::action(c.keyCode, c.characters, c.shift), c.action);
    }
}

TEST(TileAction, TokensReadBackExactly)
{
    for (const TileKeyBinding& binding : TileKeys::bindings())
        EXPECT_EQ(TileAction::fromToken(binding.action.token()), binding.action);
    for (const char* token : { "tile:layout-7", "tile:layout-0", "tile:layout-x", "tile:layout-", "tile:focus-west",
             "tile:Fill", "tile:fill ", "fill", "" })
        EXPECT_EQ(TileAction::fromToken(token), std::nullopt) << token;
}

TEST(TileKeys, TitleOfATokenAndChord)
{
    EXPECT_EQ(TileKeys::title("tile:exit", "ctrl+opt+escape", {}), "Leave tile mode (Esc)");
    EXPECT_EQ(TileKeys::title("tile:exit", "ctrl+opt+return", {}), "Leave tile mode");
    EXPECT_EQ(TileKeys::title("tile:focus-left", "ctrl+opt+h", {}), "Focus left (H)");
    EXPECT_EQ(TileKeys::title("tile:fill", "ctrl+opt+f", { { "fill", "ctrl+opt+g" } }), std::nullopt);
    EXPECT_EQ(TileKeys::title("tile:fill", "ctrl+opt+g", { { "fill", "opt+ctrl+g" } }), "Fill screen");
    EXPECT_EQ(TileKeys::title("tile:exit", "ctrl+opt+f", {}), std::nullopt);
}

} // namespace
} // namespace quorvane
