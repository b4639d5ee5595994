#include "Router/HotkeyCommands.h"

#include "Command/CommandOutput.h"
#include "Configuration/ConfigFile.h"
#include "Configuration/EffectiveHotkeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "Configuration/ResolvedTarget.h"
#include "Hotkeys/HotkeyChord.h"
#include "Hotkeys/HotkeyParser.h"
#include "Router/CommandContext.h"
#include "Router/RouterSupport.h"
#include "Support/QuorvaneError.h"

namespace quorvane::CommandRouter {

using Object = JSONValue::Object;

namespace {

// Whether a stored chord text, which may not parse, names the chord `canonical`.
bool namesChord(const std::string& text, const std::string& canonical)
{
    auto chord = HotkeyParser::tryParse(text);
    return chord && chord->canonical() == canonical;
}

// Removes every `[hotkeys]` entry of the chord, however its key is spelled, but the one spelled `keep`;
// whether one went.
bool removeNativeChord(ConfigFile& file, const std::string& canonical, const std::string& keep = {})
{
    bool removed = false;
    for (const auto& [key, value] : file.document().pairs({ "hotkeys" })) {
        if (key != keep && namesChord(key, canonical)) {
            file.removeNativeHotkey(key);
            removed = true;
        }
    }
    return removed;
}

} // namespace

CommandOutput hotkeySet(const Command::HotkeySet& command, ConfigFile& file, const CommandContext& context)
{
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    HotkeyChord chord = HotkeyParser::parse(command.chord);
    std::string canonical = chord.canonical();
    ensureHotkeyAvailable(canonical, config, command.target, context.isApplicationId);
    auto target = resolveTarget(command.target, config, context.isApplicationId);
    if (!target) {
        throw QuorvaneError::notFound(
            "No app named " + command.target + ". Use a web app name or a bundle id such as com.example.editor.");
    }
    // An entry of the chord spelled another way ("opt+ctrl+t") would stay beside the new one, bound twice.
    // One spelled as written is changed in place, keeping its comment.
    if (target->kind == ResolvedTarget::Kind::bundle) {
        removeNativeChord(file, canonical, canonical);
        file.setNativeHotkey(canonical, target->identifier);
    } else {
        WebAppRecord record = target->record;
        record.spec.hotkey = canonical;
        file.upsertApp(record);
        removeNativeChord(file, canonical);
    }
    return success(
        chord.display() + " \u2192 " + command.target, Object { { "chord", canonical }, { "target", command.target } });
}

CommandOutput hotkeyUnset(const Command::HotkeyUnset& command, ConfigFile& file)
{
    std::string canonical = canonicalChord(command.chord);
    auto decoded = file.decoded();
    const QuorvaneConfig& config = *decoded;
    bool removed = false;
    for (WebAppRecord record : config.apps) {
        if (record.spec.hotkey && namesChord(*record.spec.hotkey, canonical)) {
            record.spec.hotkey.reset();
            file.upsertApp(record);
            removed = true;
        }
    }
    removed = removeNativeChord(file, canonical) || removed;
    if (!removed)
        throw QuorvaneError::notFound("No hotkey " + canonical + ".");
    return success("Removed " + canonical + ".", Object { { "chord", canonical } });
}

CommandOutput hotkeyList(const ConfigFile& file)
{
    Listing hotkeys;
    for (const EffectiveHotkey& row : effectiveHotkeys(*file.decoded())) {
        if (row.source == "builtin")
            continue;
        hotkeys.add(row.chord + '\t' + row.bundleIdentifier,
            Object { { "chord", row.chord }, { "bundleIdentifier", row.bundleIdentifier }, { "source", row.source } });
    }
    return std::move(hotkeys).success("hotkeys", "No hotkeys yet.");
}

} // namespace quorvane::CommandRouter
