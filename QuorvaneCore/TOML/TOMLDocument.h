#pragma once

#include "TOML/TOMLNode.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// A parsed config file as its node list, with edits that touch only the lines they must.
struct TOMLDocument {
    std::vector<TOMLNode> nodes;

    // Reads `text` (line feeds only); throws the reader's "Config line N: ..." errors.
    static TOMLDocument parse(std::string_view text);

    // Key and value of every key node of exactly `table`, in document order (repeats included).
    TOMLValue::Table pairs(const TOMLPath& table) const;
    // Paths of every header one segment below `parent`, in document order.
    std::vector<TOMLPath> headers(const TOMLPath& parent) const;
    // The path of the key that gives `table`, or a table above it, as one value (`t = { ... }`), if one does:
    // such a table cannot be added to.
    std::optional<TOMLPath> valueHolding(const TOMLPath& table) const;
    // Whether the file gives `path` as a table of its own: a header at or below it, or a key inside it.
    bool holdsTable(const TOMLPath& path) const;

    // Replaces the key's first node in place (keeping its comment) and drops any later repeats,
    // or adds the key after the table's last key, creating the table at the end when missing.
    // Throws a config QuorvaneError for a double that is not finite, which the file cannot hold, for a table
    // given as one value (see valueHolding), and for a new key the file gives as a table (see holdsTable).
    void set(const TOMLPath& table, const std::string& key, TOMLValue value);
    // Removes every node of this key, with their comments.
    void remove(const TOMLPath& table, std::string_view key);
    // Removes each header of the table with everything up to the next header, and the table's key lines
    // written elsewhere.
    void removeTable(const TOMLPath& path);

    // The document as file text.
    std::string text() const;

    friend bool operator==(const TOMLDocument&, const TOMLDocument&) = default;

private:
    void ensureTable(const TOMLPath& path);
    size_t insertionIndex(const TOMLPath& path) const;
    size_t skipBlank(size_t index, size_t floor) const;
};

// Writes `nodes` as file text: raw text verbatim, header and key lines rebuilt.
std::string renderTOML(const std::vector<TOMLNode>& nodes);
// One value as the file writes it after "key = ".
std::string renderTOMLValue(const TOMLValue& value);

} // namespace quorvane
