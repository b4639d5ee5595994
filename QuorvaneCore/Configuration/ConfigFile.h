#pragma once

#include "TOML/TOMLDocument.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quorvane {

struct AgentConfig;
struct GeneralConfig;
struct Layout;
struct QuorvaneConfig;
struct TileRule;
struct WebAppRecord;

// One parsed config document with the typed edits the command line and the application make.
// Every edit either completes or leaves the document as it was; none checks names for existence or validity.
class ConfigFile {
public:
    // The largest config file any program reads (1 MiB); a larger one is refused, or treated as broken.
    static constexpr size_t maximumFileSize = 1024 * 1024;

    // Turns CR LF and lone CR into LF and parses; throws the reader's "Config line N: ..." QuorvaneError.
    explicit ConfigFile(std::string_view text);

    // The default file's document.
    static ConfigFile makeDefault();
    // Throws a usage QuorvaneError when `text` is more than any program reads back: saved, it could not be
    // read again, nor undone.
    static void requireReadable(const std::string& text);

    // The parsed document, comments and blank lines included.
    const TOMLDocument& document() const { return m_document; }
    // The rendered document.
    std::string text() const { return m_document.text(); }
    // The typed configuration; never fails.
    QuorvaneConfig decode() const;
    // The same, decoded once per version of the document and shared by its copies until one is edited.
    std::shared_ptr<const QuorvaneConfig> decoded() const;

    // Writes every general setting, changed or not, and rewrites `[tile_hotkeys]` to exactly the tile
    // binding ids with the chords in force.
    void setGeneral(const GeneralConfig& general);
    // Saves the general settings and tile chords that `edited` changes from `base` as `setGeneral` does; every
    // other one keeps the document's value, which another writer may have changed since `base` was read.
    void changeGeneral(const GeneralConfig& base, const GeneralConfig& edited);
    // Creates or updates `[apps.<slug>]`, keeping keys it does not know and optional keys the user wrote.
    void upsertApp(const WebAppRecord& record);
    // Removes `[apps.<slug>]` with the lines up to the next table; nothing when absent.
    void removeApp(const std::string& slug);
    // Sets `[hotkeys]` key `chord` to `{ bundle = "…" }`.
    void setNativeHotkey(const std::string& chord, const std::string& bundleIdentifier);
    // Removes every `[hotkeys]` line of exactly this chord text.
    void removeNativeHotkey(const std::string& chord);
    // Creates or updates `[rules.<id>]`; an empty bundle identifier leaves `bundle` as it stands.
    void upsertRule(const TileRule& rule);
    // Removes `[rules.<id>]`; nothing when absent.
    void removeRule(const std::string& id);
    // Makes `[layouts.<name>]` hold exactly the assignments, or removes it when there are none.
    void upsertLayout(const Layout& layout);
    // Writes both skill folder lists of `[agents]`.
    void setAgents(const AgentConfig& agents);

    friend bool operator==(const ConfigFile& a, const ConfigFile& b) { return a.text() == b.text(); }

private:
    // The document about to be edited in place; the decoded copy no longer holds.
    TOMLDocument& editedDocument();
    void replaceDocument(TOMLDocument);

    TOMLDocument m_document;
    // Not thread-safe: like the document, a `ConfigFile` belongs to one thread at a time.
    mutable std::shared_ptr<const QuorvaneConfig> m_decoded;
};

} // namespace quorvane
