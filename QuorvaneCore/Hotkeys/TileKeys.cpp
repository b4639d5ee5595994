#include "Hotkeys/TileKeys.h"

#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/MacKeyCodes.h"
#include "Support/UnicodeText.h"

#include <algorithm>

namespace quorvane {

namespace {

// The characters the platform reports for the arrow keys.
constexpr std::string_view upArrow = "\uF700";
constexpr std::string_view downArrow = "\uF701";
constexpr std::string_view leftArrow = "\uF702";
constexpr std::string_view rightArrow = "\uF703";

std::vector<TileKeyBinding> makeBindings()
{
    std::vector<TileKeyBinding> table;
    auto add = [&](std::string id, TileKeyGroup group, std::string title, std::string panelLabel, HotkeyKey key,
                   bool shifted, TileAction action, std::vector<std::string> characters, std::string chord) {
        table.push_back({ std::move(id), group, std::move(title), std::move(panelLabel), std::move(key), shifted,
            action, std::move(characters), std::move(chord), std::nullopt });
    };

    struct Arrow {
        std::string_view name, glyph, characters;
        Direction direction;
    };
    const Arrow arrows[] = {
        { "left", "\u2190", leftArrow, Direction::left },
        { "down", "\u2193", downArrow, Direction::down },
        { "up", "\u2191", upArrow, Direction::up },
        { "right", "\u2192", rightArrow, Direction::right },
    };
    struct Letter {
        std::string_view letter, label;
        Direction direction;
    };
    const Letter letters[] = {
        { "h", "H", Direction::left },
        { "j", "J", Direction::down },
        { "k", "K", Direction::up },
        { "l", "L", Direction::right },
    };
    auto capitalized = [](std::string_view name) {
        return UnicodeText::uppercased(name.substr(0, 1)) + std::string(name.substr(1));
    };

    for (bool shifted : { false, true }) {
        TileKeyGroup group = shifted ? TileKeyGroup::move : TileKeyGroup::focus;
        std::string verb = shifted ? "move" : "focus";
        std::string prefix = shifted ? "ctrl+opt+shift+" : "ctrl+opt+";
        auto act
            = [&](Direction direction) { return shifted ? TileAction::move(direction) : TileAction::focus(direction); };
        for (const Arrow& arrow : arrows) {
            std::string name(arrow.name);
            add(verb + "_" + name, group, capitalized(verb) + " " + name, std::string(arrow.glyph),
                HotkeyKey::named(name), shifted, act(arrow.direction), { std::string(arrow.characters) },
                prefix + name);
        }
        for (const Letter& letter : letters) {
            std::string key(letter.letter);
            std::string label(letter.label);
            add(verb + "_" + key, group,
                capitalized(verb) + " " + std::string(toString(letter.direction)) + " (" + label + ")", label,
                HotkeyKey::character(key), shifted, act(letter.direction), { key }, prefix + key);
        }
    }

    // ctrl+opt+l cycles layouts, so focusing right on L takes cmd as well.
    auto focusL = std::find_if(
        table.begin(), table.end(), [](const TileKeyBinding& binding) { return binding.id == "focus_l"; });
    focusL->defaultChord = "ctrl+opt+cmd+l";
    focusL->note = HotkeyParser::parse("ctrl+opt+l").display() + " cycles layouts, so focus right on L is "
        + HotkeyParser::parse(focusL->defaultChord).display() + ".";

    for (int number = 1; number <= 6; ++number) {
        std::string digit = std::to_string(number);
        add("layout_" + digit, TileKeyGroup::layout, "Layout " + digit, digit, HotkeyKey::character(digit), false,
            TileAction::layout(number), { digit }, "ctrl+opt+" + digit);
    }
    add("fill", TileKeyGroup::more, "Fill screen", "F", HotkeyKey::character("f"), false, TileAction::fill(), { "f" },
        "ctrl+opt+f");
    add("previous_display", TileKeyGroup::more, "Previous display", "[", HotkeyKey::named("leftbracket"), false,
        TileAction::previousDisplay(), { "[" }, "ctrl+opt+leftbracket");
    add("next_display", TileKeyGroup::more, "Next display", "]", HotkeyKey::named("rightbracket"), false,
        TileAction::nextDisplay(), { "]" }, "ctrl+opt+rightbracket");
    add("exit_return", TileKeyGroup::more, "Leave tile mode", "Return", HotkeyKey::named("return"), false,
        TileAction::exit(), { "\r", "\x03" }, "ctrl+opt+return");
    add("exit_escape", TileKeyGroup::more, "Leave tile mode (Esc)", "Esc", HotkeyKey::named("escape"), false,
        TileAction::exit(), { "\x1B" }, "ctrl+opt+escape");
    return table;
}

} // namespace

const std::vector<TileKeyBinding>& TileKeys::bindings()
{
    static const std::vector<TileKeyBinding> table = makeBindings();
    return table;
}

std::vector<ResolvedTileChord> TileKeys::resolved(const std::map<std::string, std::string>& overrides)
{
    std::vector<ResolvedTileChord> result;
    result.reserve(bindings().size());
    for (const TileKeyBinding& binding : bindings()) {
        std::string chord = binding.defaultChord;
        if (auto found = overrides.find(binding.id); found != overrides.end()) {
            // An override that does not parse leaves the default in force; the configuration check reports it.
            if (auto parsed = HotkeyParser::tryParse(found->second))
                chord = parsed->canonical();
        }
        std::optional<std::string> note = chord == binding.defaultChord ? binding.note : std::nullopt;
        result.push_back({ binding.id, binding.group, binding.title, binding.panelLabel, std::move(chord),
            std::move(note), binding.action.token(), binding.action });
    }
    return result;
}

std::optional<TileAction> TileKeys::action(uint32_t keyCode, std::string_view characters, bool shift)
{
    std::vector<const TileKeyBinding*> kept;
    for (const TileKeyBinding& binding : bindings()) {
        if (binding.shifted == shift)
            kept.push_back(&binding);
    }
    // The key code names the key's position whatever the layout; the characters catch keys whose codes differ.
    for (const TileKeyBinding* binding : kept) {
        if (MacKeyCodes::code(binding->key) == keyCode)
            return binding->action;
    }
    if (characters.empty())
        return std::nullopt;
    std::string lower = UnicodeText::lowercased(characters);
    for (const TileKeyBinding* binding : kept) {
        for (const std::string& reported : binding->characters) {
            if (reported == characters || reported == lower)
                return binding->action;
        }
    }
    return std::nullopt;
}

std::optional<std::string> TileKeys::title(
    std::string_view token, std::string_view chord, const std::map<std::string, std::string>& overrides)
{
    for (const ResolvedTileChord& entry : resolved(overrides)) {
        if (entry.token == token && entry.chord == chord)
            return entry.title;
    }
    return std::nullopt;
}

} // namespace quorvane
