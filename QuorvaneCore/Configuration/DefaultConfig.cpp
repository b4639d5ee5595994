#include "Configuration/DefaultConfig.h"

#include "Configuration/ConfigKeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/TileKeys.h"
#include "TOML/TOMLDocument.h"

#include <string>

namespace quorvane::DefaultConfig {

namespace {

// The keys of `table` that the default file writes, each with its note above it and its default value.
void addKeys(std::vector<TOMLNode>& nodes, std::string_view table)
{
    const QuorvaneConfig defaults;
    TOMLPath path = table.empty() ? TOMLPath {} : TOMLPath { std::string(table) };
    if (!table.empty())
        nodes.push_back(TOMLNode::header(path));
    for (const ConfigKey* key : ConfigKeys::of(table)) {
        if (!key->hasField() || !key->inDefaultFile)
            continue;
        if (!key->note.empty())
            nodes.push_back(TOMLNode::raw("# " + std::string(key->note) + "\n"));
        nodes.push_back(TOMLNode::key(path, std::string(key->key), ConfigKeys::value(*key, defaults)));
    }
}

std::string makeText()
{
    std::vector<TOMLNode> nodes;
    nodes.push_back(TOMLNode::raw("# Quorvane keeps your setup in this file and reloads it when you save.\n"
                                  "# Comments stay in place when a value changes.\n"
                                  "\n"));
    addKeys(nodes, "");
    nodes.push_back(TOMLNode::raw("\n"));
    addKeys(nodes, "general");
    nodes.push_back(TOMLNode::raw("\n"
                                  "# Chords that tile any time. focus_l is ctrl+opt+cmd+l because ctrl+opt+l cycles "
                                  "layouts.\n"
                                  "# [ and ] are stored as leftbracket and rightbracket.\n"));
    nodes.push_back(TOMLNode::header({ "tile_hotkeys" }));
    for (const TileKeyBinding& binding : TileKeys::bindings())
        nodes.push_back(TOMLNode::key({ "tile_hotkeys" }, binding.id, TOMLValue::string(binding.defaultChord)));
    nodes.push_back(TOMLNode::raw("\n"));
    addKeys(nodes, "agents");
    return renderTOML(nodes);
}

} // namespace

std::string_view text()
{
    static const std::string contents = makeText();
    return contents;
}

} // namespace quorvane::DefaultConfig
