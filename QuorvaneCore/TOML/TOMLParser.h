#pragma once

#include "TOML/TOMLNode.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Reads the config file's TOML subset into nodes that keep every comment and blank line.
// The text must already have its line breaks turned into line feeds.
class TOMLParser {
public:
    explicit TOMLParser(std::string_view text);

    // The whole file's nodes; throws a config QuorvaneError "Config line N: ..." on the first fault.
    std::vector<TOMLNode> parse();

    // Arrays and inline tables nest at most this deep; deeper ones are refused.
    static constexpr size_t maximumNesting = 256;

    // True when `key` reads back as a bare key: non-empty, only letters, numbers, `_` and `-`.
    static bool isBareKey(std::string_view key);
    // `text` without the spaces and tabs, TOML's only blanks, at either end.
    static std::string_view trimBlanks(std::string_view text);

private:
    // One flag per byte of `text`: true where a character begins. Characters are grapheme clusters,
    // with syntax scalars split out of any cluster.
    static std::vector<bool> characterStarts(std::string_view text);

    using Character = std::string_view;

    bool atEnd() const { return m_cursor >= m_text.size(); }
    // The byte offset just past the character that begins at `position`.
    size_t characterEnd(size_t position) const;
    Character characterAt(size_t position) const;
    bool isAt(std::string_view character) const;
    std::optional<Character> peek(size_t offset = 0) const;
    void skipSpaces();
    void consumeNewline();
    void consumeRestOfLine();
    // Steps to the next line feed without consuming it, or to the end.
    void skipToLineFeed();
    void advance(size_t count = 1);
    bool match(std::string_view word);
    void skipValueTrivia();
    std::string consumeTrailingComment();
    TOMLNode parseHeader();
    TOMLNode parseAssignment();
    TOMLPath parseKeyPath();
    std::string parseKey();
    TOMLValue parseValue();
    std::string parseBasicString();
    std::string parseMultilineString();
    // Appends the character under the cursor to a string's text, reading an escape when it is one.
    void takeStringCharacter(std::string& into);
    // Appends the text up to the next byte of `stops` (or the end) to a string's text.
    // Steps over a backslash that ends its line in a multiline string, and the blanks after it; false elsewhere.
    bool skipLineEndingBackslash();
    void takeStringRun(std::string& into, const char* stops);
    void parseEscape(std::string& into);
    // The scalar of the `digits` hex digits under the cursor (after a backslash-u or -U), stepping over them;
    // nothing, with the cursor left alone, when they are not exactly that many hex digits naming a scalar.
    std::optional<char32_t> parseUnicodeEscape(size_t digits);
    // Reads elements up to `closing`, separated by commas (a trailing one allowed); the opening
    // bracket is under the cursor.
    template <typename ReadElement> void parseDelimited(std::string_view closing, const char* missing, ReadElement);
    TOMLValue parseArray();
    TOMLValue parseInlineTable();
    TOMLValue parseNumber();
    std::string textFrom(size_t start) const;
    [[noreturn]] void error(const std::string& message) const;

    std::string_view m_text;
    std::vector<bool> m_starts;
    // A byte offset into `m_text`, always at the start of a character.
    size_t m_cursor = 0;
    // How deeply the value being read sits inside arrays and inline tables.
    size_t m_depth = 0;
    int64_t m_line = 1;
    TOMLPath m_table;
    std::string m_pendingRaw;
};

} // namespace quorvane
