#include "TOML/TOMLParser.h"

#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quorvane {

namespace {

// Syntax scalars that the reader matches on their own even when Unicode joins them into one cluster
// with a neighbour (a combining mark after a quote, a prepended mark before a quote or backslash):
// text that begins or ends with such marks must still read back.
bool isDelimiter(char byte)
{
    switch (byte) {
    case '"':
    case '[':
    case ']':
    case '=':
    case '#':
    case ',':
    case '{':
    case '}':
    case '.':
    case '\\':
    case ' ':
    case '\t':
    case '\n':
        return true;
    default:
        return false;
    }
}

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

bool isBareKeyCharacter(std::string_view character)
{
    return character == "_" || character == "-" || UnicodeText::isLetterOrNumber(character);
}

std::optional<double> toDouble(std::string_view text)
{
    double value = 0;
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size())
        return std::nullopt;
    if (status == std::errc::result_out_of_range) {
        // Too small to hold reads as zero; too large to hold is refused rather than read as infinity.
        std::string_view magnitude = text.substr(text.starts_with('-') ? 1 : 0);
        if (magnitude.substr(0, magnitude.find('.')).find_first_not_of('0') != std::string_view::npos)
            return std::nullopt;
        return text.starts_with('-') ? -0.0 : 0.0;
    }
    if (status != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int64_t> toInteger(std::string_view text)
{
    int64_t value = 0;
    auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::vector<bool> TOMLParser::characterStarts(std::string_view text)
{
    std::vector<bool> starts = UnicodeText::clusterStarts(text);
    // Syntax scalars are ASCII, so never inside a multi-byte sequence: each stands alone, and what
    // follows one inside its cluster begins a character of its own.
    for (size_t index = 0; index < text.size(); ++index) {
        if (!isDelimiter(text[index]))
            continue;
        starts[index] = true;
        if (index + 1 < text.size())
            starts[index + 1] = true;
    }
    return starts;
}

std::string_view TOMLParser::trimBlanks(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool TOMLParser::isBareKey(std::string_view key)
{
    if (key.empty())
        return false;
    std::vector<bool> starts = characterStarts(key);
    for (size_t start = 0, end = 1; start < key.size(); start = end++) {
        while (end < key.size() && !starts[end])
            ++end;
        if (!isBareKeyCharacter(key.substr(start, end - start)))
            return false;
    }
    return true;
}

TOMLParser::TOMLParser(std::string_view text)
    // Some editors begin a UTF-8 file with a byte-order mark; it is no part of the text.
    : m_text(text.starts_with(byteOrderMark) ? text.substr(byteOrderMark.size()) : text)
    , m_starts(characterStarts(m_text))
{
}

std::vector<TOMLNode> TOMLParser::parse()
{
    std::vector<TOMLNode> nodes;
    while (!atEnd()) {
        size_t lineStart = m_cursor;
        skipSpaces();
        if (atEnd()) {
            m_pendingRaw += textFrom(lineStart);
            break;
        }
        if (isAt("\n")) {
            consumeNewline();
            m_pendingRaw += textFrom(lineStart);
            continue;
        }
        if (isAt("#")) {
            consumeRestOfLine();
            m_pendingRaw += textFrom(lineStart);
            continue;
        }
        if (!m_pendingRaw.empty())
            nodes.push_back(TOMLNode::raw(std::exchange(m_pendingRaw, {})));
        if (isAt("[")) {
            std::optional<Character> next = peek(1);
            if (next && *next == "[")
                error("Quorvane's config does not use array tables.");
            TOMLNode header = parseHeader();
            m_table = header.asHeader()->path;
            nodes.push_back(std::move(header));
        } else {
            nodes.push_back(parseAssignment());
        }
    }
    if (!m_pendingRaw.empty())
        nodes.push_back(TOMLNode::raw(std::exchange(m_pendingRaw, {})));
    return nodes;
}

size_t TOMLParser::characterEnd(size_t position) const
{
    size_t end = position + 1;
    while (end < m_text.size() && !m_starts[end])
        ++end;
    return end;
}

TOMLParser::Character TOMLParser::characterAt(size_t position) const
{
    return m_text.substr(position, characterEnd(position) - position);
}

bool TOMLParser::isAt(std::string_view character) const
{
    if (atEnd())
        return false;
    // Most tests are for one ASCII byte, which is a whole character when the next byte begins one.
    if (character.size() == 1)
        return m_text[m_cursor] == character[0] && (m_cursor + 1 >= m_text.size() || m_starts[m_cursor + 1]);
    return characterAt(m_cursor) == character;
}

std::optional<TOMLParser::Character> TOMLParser::peek(size_t offset) const
{
    size_t position = m_cursor;
    for (; offset > 0 && position < m_text.size(); --offset)
        position = characterEnd(position);
    if (position >= m_text.size())
        return std::nullopt;
    return characterAt(position);
}

void TOMLParser::skipSpaces()
{
    while (isAt(" ") || isAt("\t"))
        ++m_cursor;
}

void TOMLParser::consumeNewline()
{
    if (isAt("\n"))
        advance();
}

void TOMLParser::consumeRestOfLine()
{
    skipToLineFeed();
    consumeNewline();
}

void TOMLParser::skipToLineFeed()
{
    // A line feed always begins a character of its own.
    m_cursor = std::min(m_text.find('\n', m_cursor), m_text.size());
}

void TOMLParser::advance(size_t count)
{
    for (; count > 0 && !atEnd(); --count) {
        if (m_text[m_cursor] == '\n')
            ++m_line;
        m_cursor = characterEnd(m_cursor);
    }
}

bool TOMLParser::match(std::string_view word)
{
    for (size_t i = 0; i < word.size(); ++i) {
        std::optional<Character> character = peek(i);
        if (!character || *character != word.substr(i, 1))
            return false;
    }
    advance(word.size());
    return true;
}

void TOMLParser::skipValueTrivia()
{
    while (!atEnd()) {
        if (isAt(" ") || isAt("\t") || isAt("\n")) {
            advance();
        } else if (isAt("#")) {
            skipToLineFeed();
        } else {
            return;
        }
    }
}

std::string TOMLParser::consumeTrailingComment()
{
    skipSpaces();
    std::string comment;
    if (isAt("#")) {
        size_t start = m_cursor;
        skipToLineFeed();
        comment = trimBlanks(textFrom(start));
    }
    consumeNewline();
    return comment;
}

TOMLNode TOMLParser::parseHeader()
{
    advance();
    TOMLPath path = parseKeyPath();
    if (!isAt("]"))
        error("A table header is missing ].");
    advance();
    return TOMLNode::header(std::move(path), consumeTrailingComment());
}

TOMLNode TOMLParser::parseAssignment()
{
    TOMLPath path = parseKeyPath();
    skipSpaces();
    if (!isAt("=")) {
        std::string joined;
        for (const std::string& segment : path)
            joined += (joined.empty() ? "" : ".") + segment;
        error("Expected = after " + joined + ".");
    }
    advance();
    skipSpaces();
    TOMLValue value = parseValue();
    std::string trailing = consumeTrailingComment();
    TOMLPath table = m_table;
    table.insert(table.end(), path.begin(), path.end() - 1);
    return TOMLNode::key(std::move(table), std::move(path.back()), std::move(value), std::move(trailing));
}

TOMLPath TOMLParser::parseKeyPath()
{
    TOMLPath path { parseKey() };
    for (skipSpaces(); isAt("."); skipSpaces()) {
        advance();
        skipSpaces();
        path.push_back(parseKey());
    }
    return path;
}

std::string TOMLParser::parseKey()
{
    if (atEnd())
        error("Expected a key.");
    if (isAt("\""))
        return parseBasicString();
    size_t start = m_cursor;
    while (!atEnd() && isBareKeyCharacter(characterAt(m_cursor)))
        m_cursor = characterEnd(m_cursor);
    if (m_cursor == start)
        error("Expected a key.");
    return textFrom(start);
}

TOMLValue TOMLParser::parseValue()
{
    if (atEnd())
        error("Expected a value.");
    if (isAt("\"")) {
        std::optional<Character> second = peek(1);
        std::optional<Character> third = peek(2);
        if (second && third && *second == "\"" && *third == "\"")
            return TOMLValue::string(parseMultilineString());
        return TOMLValue::string(parseBasicString());
    }
    if (isAt("["))
        return parseArray();
    if (isAt("{"))
        return parseInlineTable();
    if (isAt("t") || isAt("f")) {
        if (match("true"))
            return TOMLValue::boolean(true);
        if (match("false"))
            return TOMLValue::boolean(false);
        error("Expected true or false.");
    }
    if (isAt("-") || UnicodeText::isNumeric(characterAt(m_cursor)))
        return parseNumber();
    error("Unsupported value.");
}

std::string TOMLParser::parseBasicString()
{
    advance();
    std::string text;
    while (true) {
        takeStringRun(text, "\"\\\n");
        if (atEnd() || isAt("\n"))
            error("A string is missing its closing quote.");
        if (isAt("\"")) {
            advance();
            return text;
        }
        takeStringCharacter(text);
    }
}

std::string TOMLParser::parseMultilineString()
{
    advance(3);
    consumeNewline();
    std::string text;
    while (true) {
        takeStringRun(text, "\"\\");
        if (atEnd())
            error("A multiline string is missing its closing quotes.");
        if (match("\"\"\""))
            return text;
        if (skipLineEndingBackslash())
            continue;
        takeStringCharacter(text);
    }
}

bool TOMLParser::skipLineEndingBackslash()
{
    // A backslash with only blanks after it on its line joins the lines: it, the line break and every blank
    // and line break after it are left out of the string.
    if (!isAt("\\"))
        return false;
    size_t next = m_text.find_first_not_of(" \t\r", m_cursor + 1);
    if (next == std::string_view::npos || m_text[next] != '\n')
        return false;
    m_cursor = next;
    while (!atEnd() && (isAt(" ") || isAt("\t") || isAt("\r") || isAt("\n"))) {
        if (isAt("\n"))
            consumeNewline();
        else
            advance();
    }
    return true;
}

void TOMLParser::takeStringRun(std::string& into, const char* stops)
{
    // Quotes, backslashes and line feeds always stand alone, so the bytes up to the next one are whole
    // characters of the string.
    size_t stop = std::min(m_text.find_first_of(stops, m_cursor), m_text.size());
    std::string_view run = m_text.substr(m_cursor, stop - m_cursor);
    m_line += std::count(run.begin(), run.end(), '\n');
    into += run;
    m_cursor = stop;
}

void TOMLParser::takeStringCharacter(std::string& into)
{
    if (isAt("\\")) {
        parseEscape(into);
        return;
    }
    size_t start = m_cursor;
    advance();
    into.append(m_text.substr(start, m_cursor - start));
}

void TOMLParser::parseEscape(std::string& into)
{
    advance();
    if (atEnd())
        error("A string ends in a backslash.");
    std::string_view character = characterAt(m_cursor);
    advance();
    if (character == "u" || character == "U") {
        if (std::optional<char32_t> scalar = parseUnicodeEscape(character == "u" ? 4 : 8)) {
            into += UnicodeText::utf8(*scalar);
            return;
        }
    }
    // The escape letter is the cluster's first scalar, so a combining mark after it is kept as text.
    switch (character.front()) {
    case 'b':
        into += '\b';
        break;
    case 'f':
        into += '\f';
        break;
    case 'n':
        into += '\n';
        break;
    case 't':
        into += '\t';
        break;
    case 'r':
        into += '\r';
        break;
    case '\\':
    case '"':
        into += character.front();
        break;
    default:
        into += character;
        return;
    }
    into += character.substr(1);
}

std::optional<char32_t> TOMLParser::parseUnicodeEscape(size_t digits)
{
    // Anything but exactly that many hex digits naming a scalar keeps its old reading: the letter stands for
    // itself, so that files written before these escapes were read keep their text.
    size_t end = m_cursor + digits;
    if (end > m_text.size())
        return std::nullopt;
    std::string_view hex = m_text.substr(m_cursor, digits);
    uint32_t value = 0;
    auto [stop, status] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
    if (status != std::errc() || stop != hex.data() + hex.size())
        return std::nullopt;
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    // A combining mark after the last digit may share its cluster; it then reads as text of its own.
    m_cursor = end;
    return static_cast<char32_t>(value);
}

template <typename ReadElement>
void TOMLParser::parseDelimited(std::string_view closing, const char* missing, ReadElement readElement)
{
    // Every level is a frame of the reader's own stack, so a hostile file must not choose the depth.
    if (m_depth == maximumNesting)
        error("Arrays and inline tables nest more than " + std::to_string(maximumNesting) + " levels deep.");
    ++m_depth;
    advance();
    skipValueTrivia();
    while (!isAt(closing)) {
        readElement();
        skipValueTrivia();
        if (isAt(",")) {
            advance();
            skipValueTrivia();
        } else if (!isAt(closing)) {
            error(missing);
        }
    }
    advance();
    --m_depth;
}

TOMLValue TOMLParser::parseArray()
{
    TOMLValue::Array elements;
    parseDelimited("]", "An array is missing ] .", [&] { elements.push_back(parseValue()); });
    return TOMLValue::array(std::move(elements));
}

TOMLValue TOMLParser::parseInlineTable()
{
    TOMLValue::Table pairs;
    parseDelimited("}", "An inline table is missing } .", [&] {
        std::string key = parseKey();
        skipSpaces();
        if (!isAt("="))
            error("Expected = in an inline table.");
        advance();
        skipSpaces();
        pairs.emplace_back(std::move(key), parseValue());
    });
    return TOMLValue::table(std::move(pairs));
}

TOMLValue TOMLParser::parseNumber()
{
    size_t start = m_cursor;
    if (isAt("-"))
        advance();
    auto takeDigits = [this] {
        while (!atEnd() && UnicodeText::isNumeric(characterAt(m_cursor)))
            advance();
    };
    takeDigits();
    bool isDecimal = false;
    if (isAt(".")) {
        advance();
        isDecimal = true;
        takeDigits();
    }
    std::string text = textFrom(start);
    if (isDecimal) {
        if (std::optional<double> value = toDouble(text))
            return TOMLValue::decimal(*value);
    }
    if (std::optional<int64_t> value = toInteger(text))
        return TOMLValue::integer(*value);
    error("\u201C" + text + "\u201D is not a number.");
}

std::string TOMLParser::textFrom(size_t start) const
{
    return std::string(m_text.substr(start, m_cursor - start));
}

void TOMLParser::error(const std::string& message) const
{
    throw QuorvaneError::config("Config line " + std::to_string(m_line) + ": " + message);
}

} // namespace quorvane
