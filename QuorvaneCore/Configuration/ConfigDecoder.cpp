#include "Configuration/ConfigDecoder.h"

#include "Configuration/ConfigKeys.h"
#include "Configuration/QuorvaneConfig.h"
#include "TOML/TOMLDocument.h"

#include <map>
#include <set>
#include <string_view>

namespace quorvane::ConfigDecoder {

namespace {

// The key nodes of every table, and the paths of the tables as they appear, gathered in one pass so that
// a file with hundreds of tables decodes in linear time.
class DocumentIndex {
public:
    explicit DocumentIndex(const TOMLDocument& document)
    {
        for (auto& node : document.nodes) {
            if (auto* header = node.asHeader()) {
                m_tables.push_back(&header->path);
            } else if (auto* key = node.asKey()) {
                m_pairs[key->table].push_back(key);
                m_tables.push_back(&key->table);
            }
        }
    }

    // Every key node of exactly `table`, in document order.
    const std::vector<const TOMLNode::Key*>& pairs(const TOMLPath& table) const
    {
        static const std::vector<const TOMLNode::Key*> none;
        auto found = m_pairs.find(table);
        return found == m_pairs.end() ? none : found->second;
    }

    // The second segment of every `<parent>.<name>` table, made by a header or by dotted keys (`name.url`
    // under `[parent]`), in document order. A table written in several places is listed once, its keys
    // gathered from all of them: the file's edits find them there too.
    std::vector<std::string> tableNames(std::string_view parent) const
    {
        std::vector<std::string> names;
        std::set<std::string_view> seen;
        for (auto* path : m_tables) {
            if (path->size() == 2 && (*path)[0] == parent && seen.insert((*path)[1]).second)
                names.push_back((*path)[1]);
        }
        return names;
    }

private:
    std::vector<const TOMLPath*> m_tables;
    std::map<TOMLPath, std::vector<const TOMLNode::Key*>> m_pairs;
};

// A table's pairs by key, a later pair replacing an earlier one.
class Table {
public:
    explicit Table(const std::vector<const TOMLNode::Key*>& keys)
    {
        for (auto* key : keys)
            m_values[key->key] = &key->value;
    }

    const TOMLValue* value(std::string_view key) const
    {
        auto found = m_values.find(key);
        return found == m_values.end() ? nullptr : found->second;
    }

    void read(const std::string& key, bool& into) const
    {
        if (auto* found = value(key); found && found->asBool())
            into = *found->asBool();
    }

    void read(const std::string& key, std::string& into) const
    {
        if (auto* found = value(key); found && found->asString())
            into = *found->asString();
    }

    void read(const std::string& key, std::optional<std::string>& into) const
    {
        if (auto* found = value(key); found && found->asString())
            into = *found->asString();
    }

private:
    std::map<std::string, const TOMLValue*, std::less<>> m_values;
};

// The keys of `table` that fill a field, read from the table's pairs (a repeated key takes its last value).
void decodeFields(const DocumentIndex& index, std::string_view table, QuorvaneConfig& config)
{
    Table pairs(index.pairs({ std::string(table) }));
    for (const ConfigKey* key : ConfigKeys::of(table)) {
        if (const TOMLValue* value = pairs.value(key->key))
            ConfigKeys::read(*key, *value, config);
    }
}

// The first root pair named `version` counts, unlike the keys of a table.
void decodeVersion(const DocumentIndex& index, QuorvaneConfig& config)
{
    const ConfigKey& version = ConfigKeys::named("", "version");
    for (auto* key : index.pairs({})) {
        if (key->key == version.key) {
            ConfigKeys::read(version, key->value, config);
            return;
        }
    }
}

void decodeTileHotkeys(const DocumentIndex& index, GeneralConfig& general)
{
    for (auto* key : index.pairs({ "tile_hotkeys" })) {
        if (auto* chord = key->value.asString())
            general.tileHotkeys[key->key] = *chord;
    }
}

std::optional<WebAppRecord> decodeApp(const DocumentIndex& index, const std::string& slug)
{
    Table table(index.pairs({ "apps", slug }));
    auto* url = table.value("url");
    if (!url || !url->asString() || url->asString()->empty())
        return std::nullopt;

    WebAppRecord record { .slug = slug, .spec = {} };
    auto& spec = record.spec;
    spec.url = *url->asString();
    spec.name = slug;
    table.read("name", spec.name);
    spec.bundleIdentifier = "app.quorvane.web." + slug;
    table.read("bundle_id", spec.bundleIdentifier);
    table.read("hotkey", spec.hotkey);
    table.read("tile", spec.tile);
    table.read("user_css", spec.userCSS);
    table.read("user_js", spec.userJS);
    table.read("icon", spec.iconPath);
    table.read("standard_user_agent", spec.standardUserAgent);
    return record;
}

std::vector<NativeHotkey> decodeHotkeys(const DocumentIndex& index)
{
    std::vector<NativeHotkey> hotkeys;
    for (auto* key : index.pairs({ "hotkeys" })) {
        if (auto* bundle = key->value.asString()) {
            hotkeys.push_back({ key->key, *bundle });
        } else if (auto* inlineTable = key->value.asTable()) {
            for (auto& [name, value] : *inlineTable) {
                if (name != "bundle")
                    continue;
                if (auto* bundle = value.asString())
                    hotkeys.push_back({ key->key, *bundle });
                break;
            }
        }
    }
    return hotkeys;
}

std::optional<TileRule> decodeRule(const DocumentIndex& index, const std::string& id)
{
    Table table(index.pairs({ "rules", id }));
    auto* tile = table.value("tile");
    if (!tile || !tile->asString())
        return std::nullopt;

    TileRule rule {
        .id = id, .bundleIdentifier = {}, .app = {}, .titlePattern = {}, .tile = *tile->asString(), .display = {}
    };
    table.read("bundle", rule.bundleIdentifier);
    table.read("app", rule.app);
    table.read("title", rule.titlePattern);
    if (auto* display = table.value("display"))
        rule.display = display->intValue();
    return rule;
}

Layout decodeLayout(const DocumentIndex& index, const std::string& name)
{
    Layout layout { .name = name, .assignments = {} };
    for (auto* key : index.pairs({ "layouts", name })) {
        if (auto* tile = key->value.asString())
            layout.assignments.push_back({ key->key, *tile });
    }
    return layout;
}

} // namespace

QuorvaneConfig decode(const TOMLDocument& document)
{
    DocumentIndex index(document);
    QuorvaneConfig config;
    decodeVersion(index, config);
    decodeFields(index, "general", config);
    decodeTileHotkeys(index, config.general);
    for (auto& slug : index.tableNames("apps")) {
        if (auto record = decodeApp(index, slug))
            config.apps.push_back(std::move(*record));
    }
    config.hotkeys = decodeHotkeys(index);
    for (auto& id : index.tableNames("rules")) {
        if (auto rule = decodeRule(index, id))
            config.rules.push_back(std::move(*rule));
    }
    for (auto& name : index.tableNames("layouts"))
        config.layouts.push_back(decodeLayout(index, name));
    decodeFields(index, "agents", config);
    return config;
}

} // namespace quorvane::ConfigDecoder
