#include "Configuration/GeneralValidation.h"

#include "Configuration/ConfigKeys.h"
#include "Configuration/EffectiveHotkeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/TileKeys.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quorvane {

namespace {

// Every problem of `general` over `config`, in the order they are reported.
std::vector<std::string> problems(const GeneralConfig& general, const QuorvaneConfig& config)
{
    std::vector<std::string> found;
    // Built-in chords are checked whether or not their feature is on, and even when empty.
    for (const auto& [key, chord] : builtInChords(general)) {
        if (chord.empty())
            found.push_back(std::string(key) + " needs a chord.");
        else if (!HotkeyParser::tryParse(chord))
            found.push_back("Could not read hotkey " + chord + ".");
    }
    for (auto& binding : TileKeys::bindings()) {
        auto entry = general.tileHotkeys.find(binding.id);
        if (entry != general.tileHotkeys.end() && !HotkeyParser::tryParse(entry->second))
            found.push_back("Could not read hotkey " + entry->second + ".");
    }
    if (!general.leaderKey.empty() && !HotkeyParser::parseLeader(general.leaderKey))
        found.push_back("Use a key name such as caps for the leader key, or leave it empty.");

    auto updated = config;
    updated.general = general;
    for (const HotkeyConflict& conflict : hotkeyConflicts(updated))
        found.push_back(conflict.detail);
    return found;
}

} // namespace

std::vector<std::pair<std::string_view, std::string>> builtInChords(const GeneralConfig& general)
{
    std::vector<std::pair<std::string_view, std::string>> chords;
    for (const ConfigKey* key : ConfigKeys::of("general")) {
        if (key->type == "chord")
            chords.emplace_back(key->key, general.*std::get<std::string GeneralConfig::*>(key->field));
    }
    return chords;
}

std::optional<std::string> validate(const GeneralConfig& general, const QuorvaneConfig& config)
{
    // A problem the configuration in force has already, written by hand, blocks no change beside it.
    std::vector<std::string> before = problems(config.general, config);
    for (const std::string& problem : problems(general, config)) {
        if (std::ranges::find(before, problem) == before.end())
            return problem;
    }
    return std::nullopt;
}

} // namespace quorvane
