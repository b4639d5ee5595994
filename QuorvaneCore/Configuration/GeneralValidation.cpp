#include "Configuration/GeneralValidation.h"

#include "Configuration/EffectiveHotkeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/TileKeys.h"

namespace quorvane {

namespace {

std::string unreadable(const std::string& chord)
{
    return "Could not read hotkey " + chord + ".";
}

} // namespace

std::optional<std::string> validate(const GeneralConfig& general, const QuorvaneConfig& config)
{
    // Built-in chords are checked whether or not their feature is on, and even when empty.
    for (auto* chord :
        { &general.tileModeHotkey, &general.agentHotkey, &general.newAppHotkey, &general.layoutHotkey }) {
        if (!HotkeyParser::tryParse(*chord))
            return unreadable(*chord);
    }
    for (auto& binding : TileKeys::bindings()) {
        auto entry = general.tileHotkeys.find(binding.id);
        if (entry != general.tileHotkeys.end() && !HotkeyParser::tryParse(entry->second))
            return unreadable(entry->second);
    }
    if (!general.leaderKey.empty() && !HotkeyParser::parseLeader(general.leaderKey))
        return "Use a key name such as caps for the leader key, or leave it empty.";

    auto updated = config;
    updated.general = general;
    auto conflicts = hotkeyConflicts(updated);
    if (!conflicts.empty())
        return conflicts.front().detail;
    return std::nullopt;
}

} // namespace quorvane
