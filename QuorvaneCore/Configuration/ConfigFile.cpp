#include "Configuration/ConfigFile.h"

#include "Configuration/ConfigDecoder.h"
#include "Configuration/ConfigKeys.h"
#include "Configuration/DefaultConfig.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/TileKeys.h"
#include "Support/QuorvaneError.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

namespace quorvane {

namespace {

std::string normalizedLineBreaks(std::string_view text)
{
    std::string normalized;
    normalized.reserve(text.size());
    for (size_t index = 0; index < text.size(); ++index) {
        if (text[index] != '\r') {
            normalized += text[index];
            continue;
        }
        normalized += '\n';
        if (index + 1 < text.size() && text[index + 1] == '\n')
            ++index;
    }
    return normalized;
}

// Writes every key of `table` that fills a field, in table order, with its value in `config`.
void writeFields(TOMLDocument& document, std::string_view table, const QuorvaneConfig& config)
{
    for (const ConfigKey* key : ConfigKeys::of(table))
        document.set(table.empty() ? TOMLPath {} : TOMLPath { std::string(table) }, std::string(key->key),
            ConfigKeys::value(*key, config));
}

bool hasKey(const TOMLDocument& document, const TOMLPath& table, std::string_view key)
{
    auto pairs = document.pairs(table);
    return std::any_of(pairs.begin(), pairs.end(), [&](auto& pair) { return pair.first == key; });
}

void setOrRemove(
    TOMLDocument& document, const TOMLPath& table, const std::string& key, const std::optional<std::string>& value)
{
    if (value && !value->empty())
        document.set(table, key, TOMLValue::string(*value));
    else
        document.remove(table, key);
}

// Empty text is written only over a key the user already has, so new tables stay short.
void setUnlessEmptyAndNew(
    TOMLDocument& document, const TOMLPath& table, const std::string& key, const std::string& value)
{
    if (!value.empty() || hasKey(document, table, key))
        document.set(table, key, TOMLValue::string(value));
}

void rewriteTileHotkeys(TOMLDocument& document, const std::map<std::string, std::string>& overrides)
{
    const TOMLPath table { "tile_hotkeys" };
    std::set<std::string> ids;
    for (auto& binding : TileKeys::bindings())
        ids.insert(binding.id);
    for (auto& [key, value] : document.pairs(table)) {
        if (!ids.contains(key))
            document.remove(table, key);
    }
    for (auto& resolved : TileKeys::resolved(overrides))
        document.set(table, resolved.id, TOMLValue::string(resolved.chord));
}

} // namespace

ConfigFile::ConfigFile(std::string_view text)
    // Most files have no carriage return, and a large file is read without a second copy of its text.
    : m_document(text.find('\r') == std::string_view::npos ? TOMLDocument::parse(text)
                                                           : TOMLDocument::parse(normalizedLineBreaks(text)))
{
}

void ConfigFile::requireReadable(const std::string& text)
{
    if (text.size() > maximumFileSize)
        throw QuorvaneError::usage("The change would make config.toml larger than 1 MiB, more than Quorvane reads.");
}

ConfigFile ConfigFile::makeDefault()
{
    return ConfigFile(DefaultConfig::text());
}

QuorvaneConfig ConfigFile::decode() const
{
    return *decoded();
}

std::shared_ptr<const QuorvaneConfig> ConfigFile::decoded() const
{
    if (!m_decoded)
        m_decoded = std::make_shared<const QuorvaneConfig>(ConfigDecoder::decode(m_document));
    return m_decoded;
}

TOMLDocument& ConfigFile::editedDocument()
{
    m_decoded.reset();
    return m_document;
}

void ConfigFile::replaceDocument(TOMLDocument document)
{
    m_decoded.reset();
    m_document = std::move(document);
}

// Each edit works on a copy so that a failure part way leaves the document untouched.

void ConfigFile::setGeneral(const GeneralConfig& general)
{
    auto document = m_document;
    QuorvaneConfig config;
    writeFields(document, "", config);
    config.general = general;
    writeFields(document, "general", config);
    rewriteTileHotkeys(document, general.tileHotkeys);
    replaceDocument(std::move(document));
}

void ConfigFile::changeGeneral(const GeneralConfig& base, const GeneralConfig& edited)
{
    QuorvaneConfig before;
    before.general = base;
    QuorvaneConfig after;
    after.general = edited;
    QuorvaneConfig merged = *decoded();
    for (const ConfigKey* key : ConfigKeys::of("general")) {
        if (!key->hasField())
            continue;
        TOMLValue value = ConfigKeys::value(*key, after);
        if (value != ConfigKeys::value(*key, before))
            ConfigKeys::read(*key, value, merged);
    }
    auto chordIn = [](const std::map<std::string, std::string>& chords, const std::string& id) {
        auto found = chords.find(id);
        return found == chords.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    std::map<std::string, std::string>& chords = merged.general.tileHotkeys;
    for (const TileKeyBinding& binding : TileKeys::bindings()) {
        std::optional<std::string> now = chordIn(edited.tileHotkeys, binding.id);
        if (now == chordIn(base.tileHotkeys, binding.id))
            continue;
        if (now)
            chords[binding.id] = *now;
        else
            chords.erase(binding.id);
    }
    setGeneral(merged.general);
}

void ConfigFile::upsertApp(const WebAppRecord& record)
{
    auto document = m_document;
    const TOMLPath table { "apps", record.slug };
    auto& spec = record.spec;
    document.set(table, "url", TOMLValue::string(spec.url));
    document.set(table, "name", TOMLValue::string(spec.name));
    document.set(table, "bundle_id", TOMLValue::string(spec.bundleIdentifier));
    setOrRemove(document, table, "hotkey", spec.hotkey);
    setOrRemove(document, table, "tile", spec.tile);
    setUnlessEmptyAndNew(document, table, "user_css", spec.userCSS);
    setUnlessEmptyAndNew(document, table, "user_js", spec.userJS);
    setOrRemove(document, table, "icon", spec.iconPath);
    if (!spec.standardUserAgent || hasKey(document, table, "standard_user_agent"))
        document.set(table, "standard_user_agent", TOMLValue::boolean(spec.standardUserAgent));
    replaceDocument(std::move(document));
}

void ConfigFile::removeApp(const std::string& slug)
{
    editedDocument().removeTable({ "apps", slug });
}

void ConfigFile::setNativeHotkey(const std::string& chord, const std::string& bundleIdentifier)
{
    editedDocument().set({ "hotkeys" }, chord, TOMLValue::table({ { "bundle", TOMLValue::string(bundleIdentifier) } }));
}

void ConfigFile::removeNativeHotkey(const std::string& chord)
{
    editedDocument().remove({ "hotkeys" }, chord);
}

void ConfigFile::upsertRule(const TileRule& rule)
{
    auto document = m_document;
    const TOMLPath table { "rules", rule.id };
    if (!rule.bundleIdentifier.empty())
        document.set(table, "bundle", TOMLValue::string(rule.bundleIdentifier));
    setOrRemove(document, table, "app", rule.app);
    setOrRemove(document, table, "title", rule.titlePattern);
    document.set(table, "tile", TOMLValue::string(rule.tile));
    if (rule.display)
        document.set(table, "display", TOMLValue::integer(*rule.display));
    else
        document.remove(table, "display");
    replaceDocument(std::move(document));
}

void ConfigFile::removeRule(const std::string& id)
{
    editedDocument().removeTable({ "rules", id });
}

void ConfigFile::upsertLayout(const Layout& layout)
{
    auto document = m_document;
    const TOMLPath table { "layouts", layout.name };
    if (layout.assignments.empty()) {
        document.removeTable(table);
    } else {
        std::set<std::string> targets;
        for (auto& assignment : layout.assignments)
            targets.insert(assignment.target);
        for (auto& [key, value] : document.pairs(table)) {
            if (!targets.contains(key))
                document.remove(table, key);
        }
        for (auto& assignment : layout.assignments)
            document.set(table, assignment.target, TOMLValue::string(assignment.tile));
    }
    replaceDocument(std::move(document));
}

void ConfigFile::setAgents(const AgentConfig& agents)
{
    auto document = m_document;
    QuorvaneConfig config;
    config.agents = agents;
    writeFields(document, "agents", config);
    replaceDocument(std::move(document));
}

} // namespace quorvane
