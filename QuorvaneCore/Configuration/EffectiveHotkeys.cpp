#include "Configuration/EffectiveHotkeys.h"

#include "Configuration/QuorvaneConfig.h"
#include "Configuration/ResolvedTarget.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/SystemHotkeys.h"
#include "Hotkeys/TileKeys.h"
#include "Support/QuorvaneError.h"

#include <unordered_set>

namespace quorvane {

namespace {

} // namespace

std::vector<EffectiveHotkey> effectiveHotkeys(const QuorvaneConfig& config)
{
    std::vector<EffectiveHotkey> rows;
    auto add = [&](std::string_view text, const std::string& bundleIdentifier, std::string source) {
        // The configuration check reports texts that do not parse; they register nothing.
        if (auto chord = HotkeyParser::tryParse(text))
            rows.push_back({ chord->canonical(), bundleIdentifier, std::move(source) });
    };

    for (const WebAppRecord& app : config.apps) {
        if (app.spec.hotkey && !app.spec.hotkey->empty())
            add(*app.spec.hotkey, app.spec.bundleIdentifier, "app:" + app.slug);
    }
    for (const NativeHotkey& hotkey : config.hotkeys)
        add(hotkey.chord, hotkey.bundleIdentifier, "hotkeys");

    const GeneralConfig& general = config.general;
    add(general.tileModeHotkey, "quorvane.tile-mode", "builtin");
    if (general.agentHotkeyEnabled)
        add(general.agentHotkey, "quorvane.agent", "builtin");
    add(general.newAppHotkey, "quorvane.new-app", "builtin");
    add(general.layoutHotkey, "quorvane.layout", "builtin");

    for (ResolvedTileChord& tile : TileKeys::resolved(general.tileHotkeys))
        rows.push_back({ std::move(tile.chord), std::move(tile.token), "builtin" });
    return rows;
}

std::vector<HotkeyConflict> hotkeyConflicts(const QuorvaneConfig& config)
{
    std::vector<HotkeyConflict> conflicts;
    std::unordered_set<std::string> seen;
    for (const EffectiveHotkey& row : effectiveHotkeys(config)) {
        if (!seen.insert(row.chord).second)
            conflicts.push_back({ row.chord, row.chord + " is already used." });
        // Canonical texts from the table parse again to the same chord.
        if (auto reason = SystemHotkeys::reservation(HotkeyParser::parse(row.chord)))
            conflicts.push_back({ row.chord, std::move(*reason) });
    }
    return conflicts;
}

void ensureHotkeyAvailable(
    std::string_view text, const QuorvaneConfig& config, std::optional<std::string_view> replacing)
{
    HotkeyChord chord = HotkeyParser::parse(text);
    if (auto reason = SystemHotkeys::reservation(chord))
        throw QuorvaneError::conflict(*reason + " Pick another chord.");

    std::string canonical = chord.canonical();
    std::optional<ResolvedTarget> target = replacing ? resolveTarget(*replacing, config) : std::nullopt;
    for (const EffectiveHotkey& row : effectiveHotkeys(config)) {
        if (row.chord != canonical)
            continue;
        if (target && target->bundleIdentifier() == row.bundleIdentifier)
            continue;
        if (row.source == "builtin")
            throw QuorvaneError::conflict(canonical + " is used by Quorvane itself.");
        throw QuorvaneError::conflict(canonical + " is already used.");
    }
}

std::string configuredHotkey(const QuorvaneConfig& config, std::string_view bundleIdentifier)
{
    for (const WebAppRecord& app : config.apps) {
        if (app.spec.bundleIdentifier == bundleIdentifier) {
            if (app.spec.hotkey && !app.spec.hotkey->empty())
                return *app.spec.hotkey;
            break;
        }
    }
    for (const NativeHotkey& hotkey : config.hotkeys) {
        if (hotkey.bundleIdentifier == bundleIdentifier)
            return hotkey.chord;
    }
    return {};
}

} // namespace quorvane
