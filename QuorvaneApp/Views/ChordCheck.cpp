#include "QuorvaneApp/Views/ChordCheck.h"

#include "Configuration/EffectiveHotkeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/HotkeyParser.h"
#include "Hotkeys/MacKeyCodes.h"
#include "Hotkeys/TileKeys.h"
#include "QuorvaneApp/Platform/HotkeyRegistrar.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "Support/QuorvaneError.h"

#include <map>

namespace quorvane {

ChordCheck::ChordCheck(const ConfigSource& config, HotkeyRegistrar& registrar, ApplicationIdCheck isApplicationId)
    : m_config(config)
    , m_registrar(registrar)
    , m_isApplicationId(std::move(isApplicationId))
{
}

std::string ChordCheck::heldElsewhere(const std::string& canonical)
{
    return canonical + " is held by another program, so it would never reach Quorvane. Pick another chord.";
}

std::string ChordCheck::holder(const EffectiveHotkey& row) const
{
    static const std::map<std::string, std::string> builtins {
        { "quorvane.tile-mode", "tile mode" },
        { "quorvane.agent", "the agent" },
        { "quorvane.new-app", "New Web App" },
        { "quorvane.layout", "Cycle layouts" },
    };
    if (auto builtin = builtins.find(row.bundleIdentifier); builtin != builtins.end())
        return builtin->second;
    for (const ResolvedTileChord& tile : TileKeys::resolved(m_config.config().general.tileHotkeys)) {
        if (tile.token == row.bundleIdentifier)
            return "the tile key " + tile.title;
    }
    if (row.source.starts_with("app:")) {
        for (const WebAppRecord& app : m_config.config().apps) {
            if (app.spec.bundleIdentifier == row.bundleIdentifier)
                return "the web app " + app.spec.name;
        }
    }
    return row.bundleIdentifier;
}

std::string ChordCheck::verify(const std::string& text, const std::string& owner) const
{
    std::optional<std::string> replacing;
    if (!owner.empty())
        replacing = owner;
    HotkeyChord chord = HotkeyParser::parse(text);
    std::string canonical = chord.canonical();
    try {
        // A built-in token ("tile:left-half") is no application the desktop knows; it owns its own rows all
        // the same.
        ensureHotkeyAvailable(text, m_config.config(), replacing, [&](const std::string& word) {
            return word == owner || (m_isApplicationId && m_isApplicationId(word));
        });
    } catch (const QuorvaneError& error) {
        // Someone choosing a chord wants to know what has it.
        for (const EffectiveHotkey& row : effectiveHotkeys(m_config.config())) {
            if (error.code() == "conflict" && row.chord == canonical && row.bundleIdentifier != owner)
                throw QuorvaneError(error.code(), error.message() + " It fires " + holder(row) + ".", error.exitCode());
        }
        throw;
    }
    if (chord.isLeader())
        return canonical;
    if (std::optional<uint32_t> code = MacKeyCodes::code(chord.key)) {
        if (!m_registrar.chordFree(KeyChord { *code, chord.modifiers }))
            throw QuorvaneError::conflict(heldElsewhere(canonical));
    }
    return canonical;
}

} // namespace quorvane
