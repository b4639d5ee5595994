// Whatever parses decodes without failing, and every typed edit made from the decoded values
// reads back as the values it wrote.

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/TileKeys.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "TOML/TOMLDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <set>

using namespace quorvane;

namespace {

[[noreturn]] void fail(const char* what, const ConfigFile& file)
{
    std::fprintf(stderr, "%s\n---\n%s\n---\n", what, file.text().c_str());
    std::abort();
}

// Whether the file gives a table below `table`, where a key of `table` would be a table and not one value.
bool holdsTableBelow(const TOMLDocument& document, const TOMLPath& table)
{
    auto below = [&](const TOMLPath& path) {
        return path.size() > table.size() && std::equal(table.begin(), table.end(), path.begin());
    };
    return std::any_of(document.nodes.begin(), document.nodes.end(), [&](const TOMLNode& node) {
        if (const TOMLNode::Header* header = node.asHeader())
            return below(header->path);
        const TOMLNode::Key* key = node.asKey();
        return key && below(key->table);
    });
}

// Runs an edit of `tables`; true when the file refused it, which it may only for a table it gives as one value,
// or one with a table below it (where a key of it would go); `keys` are further keys the edit sets.
template <typename Edit>
bool refused(const ConfigFile& file, std::initializer_list<TOMLPath> tables, Edit edit,
    std::initializer_list<TOMLPath> keys = {})
{
    try {
        edit();
        return false;
    } catch (const QuorvaneError& error) {
        bool tableRefused = std::any_of(tables.begin(), tables.end(), [&](const TOMLPath& table) {
            return file.document().valueHolding(table).has_value() || holdsTableBelow(file.document(), table);
        });
        bool keyRefused = std::any_of(
            keys.begin(), keys.end(), [&](const TOMLPath& key) { return file.document().holdsTable(key); });
        if (!tableRefused && !keyRefused)
            fail(("an edit was refused: " + error.message()).c_str(), file);
        return true;
    }
}

std::optional<std::string> nonEmpty(const std::optional<std::string>& text)
{
    return text && !text->empty() ? text : std::nullopt;
}

void checkGeneral(ConfigFile file, GeneralConfig general)
{
    if (refused(file, { { "general" }, { "tile_hotkeys" } }, [&] { file.setGeneral(general); }, { { "version" } }))
        return;
    general.tileHotkeys.clear();
    for (auto& resolved : TileKeys::resolved(file.decode().general.tileHotkeys))
        general.tileHotkeys[resolved.id] = resolved.chord;
    auto config = ConfigFile(file.text()).decode();
    if (config.general != general || config.version != 1)
        fail("general settings do not read back", file);
}

void checkApp(ConfigFile file, WebAppRecord record)
{
    if (refused(file, { { "apps", record.slug } }, [&] { file.upsertApp(record); }))
        return;
    record.spec.hotkey = nonEmpty(record.spec.hotkey);
    record.spec.tile = nonEmpty(record.spec.tile);
    record.spec.iconPath = nonEmpty(record.spec.iconPath);
    for (auto& app : ConfigFile(file.text()).decode().apps) {
        if (app.slug == record.slug && app != record)
            fail("a web app does not read back", file);
    }
}

void checkRule(ConfigFile file, TileRule rule)
{
    if (refused(file, { { "rules", rule.id } }, [&] { file.upsertRule(rule); }))
        return;
    rule.app = nonEmpty(rule.app);
    rule.titlePattern = nonEmpty(rule.titlePattern);
    for (auto& read : ConfigFile(file.text()).decode().rules) {
        if (read.id == rule.id && read != rule)
            fail("a rule does not read back", file);
    }
}

void checkLayout(ConfigFile file, const Layout& layout)
{
    std::set<std::string> targets;
    for (auto& assignment : layout.assignments) {
        if (!targets.insert(assignment.target).second)
            return;
    }
    if (refused(file, { { "layouts", layout.name } }, [&] { file.upsertLayout(layout); }))
        return;
    for (auto& read : ConfigFile(file.text()).decode().layouts) {
        if (read.name == layout.name && (layout.assignments.empty() || read != layout))
            fail("a layout does not read back", file);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    // Both programs read only UTF-8 files, and the writer refuses any other text.
    if (!UnicodeText::isValidUTF8(text))
        return 0;
    std::optional<ConfigFile> file;
    try {
        file.emplace(text);
    } catch (const QuorvaneError&) {
        return 0;
    }
    auto config = file->decode();
    checkGeneral(*file, config.general);
    for (auto& app : config.apps)
        checkApp(*file, app);
    for (auto& rule : config.rules)
        checkRule(*file, rule);
    for (auto& layout : config.layouts)
        checkLayout(*file, layout);
    return 0;
}
