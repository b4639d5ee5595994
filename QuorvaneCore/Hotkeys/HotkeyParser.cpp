#include "Hotkeys/HotkeyParser.h"

#include "Hotkeys/HotkeyKeyTable.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <map>

namespace quorvane {

namespace {

std::string quoted(std::string_view text)
{
    std::string result = "\u201C";
    result += text;
    result += "\u201D";
    return result;
}

std::optional<HotkeyModifier> modifierNamed(std::string_view piece)
{
    static const std::map<std::string_view, HotkeyModifier> names = {
        { "ctrl", HotkeyModifier::ctrl },
        { "control", HotkeyModifier::ctrl },
        { "ctl", HotkeyModifier::ctrl },
        { "opt", HotkeyModifier::opt },
        { "option", HotkeyModifier::opt },
        { "alt", HotkeyModifier::opt },
        { "shift", HotkeyModifier::shift },
        { "cmd", HotkeyModifier::cmd },
        { "command", HotkeyModifier::cmd },
        { "leader", HotkeyModifier::leader },
        { "hyper", HotkeyModifier::leader },
    };
    auto found = names.find(piece);
    if (found == names.end())
        return std::nullopt;
    return found->second;
}

std::optional<HotkeyModifier> modifierOfGlyph(std::string_view cluster)
{
    if (cluster == "\u2303")
        return HotkeyModifier::ctrl;
    if (cluster == "\u2325")
        return HotkeyModifier::opt;
    if (cluster == "\u21E7")
        return HotkeyModifier::shift;
    if (cluster == "\u2318")
        return HotkeyModifier::cmd;
    return std::nullopt;
}

// `name` is trimmed and lower-cased.
HotkeyKey keyNamed(std::string_view name)
{
    std::string_view result = HotkeyKeyTable::alias(name).value_or(name);
    if (HotkeyKeyTable::namedKey(result))
        return HotkeyKey::named(std::string(result));
    // "f01" names F1's key, so the canonical name drops leading zeros: otherwise two spellings of one key
    // would compare as different chords.
    if (auto number = HotkeyKeyTable::functionKeyNumber(result))
        return HotkeyKey::named("f" + std::to_string(*number));
    auto clusters = UnicodeText::graphemeClusters(result);
    if (clusters.size() == 1 && UnicodeText::isLetterOrNumber(clusters.front()))
        return HotkeyKey::character(std::string(result));
    if (result == "[")
        return HotkeyKey::named("leftbracket");
    if (result == "]")
        return HotkeyKey::named("rightbracket");
    throw QuorvaneError::usage(quoted(name) + " is not a key Quorvane can bind.");
}

HotkeyChord validated(std::set<HotkeyModifier> modifiers, HotkeyKey key, std::string_view original)
{
    if (modifiers.contains(HotkeyModifier::leader)) {
        if (modifiers.size() != 1)
            throw QuorvaneError::usage(quoted(original) + " mixes the leader key with other modifiers.");
    } else if (modifiers.empty()) {
        throw QuorvaneError::usage(quoted(original) + " needs a modifier, or use leader+" + key.canonical() + ".");
    }
    return { std::move(modifiers), std::move(key) };
}

std::string normalizedPiece(std::string_view piece)
{
    return UnicodeText::lowercased(UnicodeText::trimmed(piece));
}

HotkeyChord parseSymbols(const std::vector<std::string_view>& clusters, std::string_view original)
{
    std::set<HotkeyModifier> modifiers;
    std::string remainder;
    for (std::string_view cluster : clusters) {
        if (auto modifier = modifierOfGlyph(cluster))
            modifiers.insert(*modifier);
        else
            remainder += cluster;
    }
    return validated(std::move(modifiers), keyNamed(normalizedPiece(remainder)), original);
}

} // namespace

HotkeyChord HotkeyParser::parse(std::string_view text)
{
    std::string trimmed = UnicodeText::trimmed(text);
    if (trimmed.empty())
        throw QuorvaneError::usage("A hotkey needs a key.");

    auto clusters = UnicodeText::graphemeClusters(trimmed);
    for (std::string_view cluster : clusters) {
        if (modifierOfGlyph(cluster))
            return parseSymbols(clusters, text);
    }

    std::vector<std::string> pieces;
    std::string current;
    for (std::string_view cluster : clusters) {
        if (cluster == "+") {
            pieces.push_back(normalizedPiece(current));
            current.clear();
        } else {
            current += cluster;
        }
    }
    pieces.push_back(normalizedPiece(current));

    for (const std::string& piece : pieces) {
        if (piece.empty())
            throw QuorvaneError::usage(quoted(text) + " has an empty hotkey piece.");
    }

    std::set<HotkeyModifier> modifiers;
    for (size_t index = 0; index + 1 < pieces.size(); ++index) {
        auto modifier = modifierNamed(pieces[index]);
        if (!modifier) {
            throw QuorvaneError::usage(
                quoted(pieces[index]) + " is not a modifier. Use ctrl, opt, shift, cmd, or leader.");
        }
        modifiers.insert(*modifier);
    }
    return validated(std::move(modifiers), keyNamed(pieces.back()), text);
}

std::optional<HotkeyChord> HotkeyParser::tryParse(std::string_view text)
{
    try {
        return parse(text);
    } catch (const QuorvaneError&) {
        return std::nullopt;
    }
}

std::optional<HotkeyKey> HotkeyParser::parseLeader(std::string_view text)
{
    std::string name = normalizedPiece(text);
    if (name.empty())
        return std::nullopt;
    try {
        return keyNamed(name);
    } catch (const QuorvaneError&) {
        return std::nullopt;
    }
}

std::vector<std::string> hotkeyKeycaps(std::string_view text)
{
    std::optional<HotkeyChord> chord = HotkeyParser::tryParse(text);
    if (!chord)
        return {};
    static constexpr std::pair<HotkeyModifier, std::string_view> caps[] = {
        { HotkeyModifier::ctrl, "\u2303" },
        { HotkeyModifier::opt, "\u2325" },
        { HotkeyModifier::shift, "\u21E7" },
        { HotkeyModifier::cmd, "\u2318" },
        { HotkeyModifier::leader, "Leader" },
    };
    std::vector<std::string> keycaps;
    for (const auto& [modifier, cap] : caps) {
        if (chord->modifiers.contains(modifier))
            keycaps.emplace_back(cap);
    }
    keycaps.push_back(hotkeyKeyFace(chord->key));
    return keycaps;
}

} // namespace quorvane
