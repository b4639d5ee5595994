#include "Router/ConfigDoctor.h"

#include "Configuration/EffectiveHotkeys.h"
#include "Configuration/GeneralValidation.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyChord.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/TileKeys.h"
#include "Router/DoctorCheck.h"
#include "Support/QuorvaneError.h"
#include "Tiling/TileSlot.h"
#include "WebApps/WebAppBundlePlan.h"

#include <algorithm>

namespace quorvane {

namespace {

bool isWebURL(std::string_view text)
{
    try {
        validatedWebURL(text);
        return true;
    } catch (const QuorvaneError&) {
        return false;
    }
}

} // namespace

std::vector<DoctorCheck> configDoctor(const QuorvaneConfig& config)
{
    using Status = DoctorCheck::Status;
    std::vector<DoctorCheck> checks { { "config", Status::pass, "config.toml parsed." } };

    for (const HotkeyConflict& conflict : hotkeyConflicts(config))
        checks.push_back({ "hotkey", Status::fail, conflict.detail });

    for (const auto& [key, chord] : builtInChords(config.general)) {
        if (!chord.empty() && !HotkeyParser::tryParse(chord))
            checks.push_back(
                { "hotkey", Status::fail, "Hotkey " + chord + " of " + std::string(key) + " could not be read." });
    }

    for (const TileKeyBinding& binding : TileKeys::bindings()) {
        auto override = config.general.tileHotkeys.find(binding.id);
        if (override != config.general.tileHotkeys.end() && !HotkeyParser::tryParse(override->second))
            checks.push_back({ "hotkey", Status::fail, "Tile hotkey " + binding.id + " could not be read." });
    }

    for (auto app = config.apps.begin(); app != config.apps.end(); ++app) {
        const WebAppSpec& spec = app->spec;
        // Two web apps of one bundle_id share a launcher, a data store and a desktop identity.
        auto first = std::find_if(config.apps.begin(), app,
            [&](const WebAppRecord& other) { return other.spec.bundleIdentifier == spec.bundleIdentifier; });
        if (first != app) {
            checks.push_back({ app->slug, Status::fail,
                "bundle_id " + spec.bundleIdentifier + " is already the bundle_id of " + first->spec.name + "." });
        }
        if (!isWebURL(spec.url))
            checks.push_back({ app->slug, Status::fail, spec.url + " is not an http or https address." });
        if (spec.tile && !parseTileSlot(*spec.tile))
            checks.push_back({ app->slug, Status::fail, "Unknown tile " + *spec.tile + "." });
        if (spec.hotkey && !HotkeyParser::tryParse(*spec.hotkey))
            checks.push_back({ app->slug, Status::fail, "Hotkey " + *spec.hotkey + " could not be read." });
    }

    std::vector<EffectiveHotkey> rows = effectiveHotkeys(config);
    bool usesLeader = std::any_of(rows.begin(), rows.end(), [](const EffectiveHotkey& row) {
        auto chord = HotkeyParser::tryParse(row.chord);
        return chord && chord->isLeader();
    });
    if (usesLeader && !HotkeyParser::parseLeader(config.general.leaderKey))
        checks.push_back({ "leader", Status::warn, "A leader+ hotkey is set, but leader_key is empty." });

    if (config.general.agentHotkeyEnabled && config.general.agentCommand.empty())
        checks.push_back({ "agent", Status::warn, "The agent hotkey is on, and no agent command is set yet." });
    return checks;
}

} // namespace quorvane
