#pragma once

#include "TOML/TOMLValue.h"

#include <string>
#include <variant>
#include <vector>

namespace quorvane {

// A table path: the key texts of a header or dotted key; the empty path is the root table.
using TOMLPath = std::vector<std::string>;

// One logical line group of a config file.
class TOMLNode {
public:
    // Consecutive blank and comment-only lines, verbatim, line breaks and leading blanks included.
    struct Raw {
        std::string text;
        friend bool operator==(const Raw&, const Raw&) = default;
    };
    // A table header line `[a.b]`; `trailing` is its end-of-line comment from `#` on, or empty.
    struct Header {
        TOMLPath path;
        std::string trailing;
        friend bool operator==(const Header&, const Header&) = default;
    };
    // One assignment: `table` is the full path of the table the key lives in, `key` its last segment.
    struct Key {
        TOMLPath table;
        std::string key;
        TOMLValue value;
        std::string trailing;
        friend bool operator==(const Key&, const Key&) = default;
    };

    TOMLNode(Raw raw);
    TOMLNode(Header header);
    TOMLNode(Key key);

    static TOMLNode raw(std::string text);
    static TOMLNode header(TOMLPath path, std::string trailing = {});
    static TOMLNode key(TOMLPath table, std::string key, TOMLValue value, std::string trailing = {});

    // The payload of the matching case, or null.
    const Raw* asRaw() const { return std::get_if<Raw>(&m_content); }
    const Header* asHeader() const { return std::get_if<Header>(&m_content); }
    const Key* asKey() const { return std::get_if<Key>(&m_content); }
    Raw* asRaw() { return std::get_if<Raw>(&m_content); }
    Header* asHeader() { return std::get_if<Header>(&m_content); }
    Key* asKey() { return std::get_if<Key>(&m_content); }

    friend bool operator==(const TOMLNode&, const TOMLNode&) = default;

private:
    std::variant<Raw, Header, Key> m_content;
};

} // namespace quorvane
