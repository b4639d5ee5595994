#include "TOML/TOMLParser.h"

#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"

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

std::vector<std::string_view> TOMLParser::characters(std::string_view text)
{
    std::vector<std::string_view> clusters = UnicodeText::graphemeClusters(text);
    std::vector<std::string_view> result;
    result.reserve(clusters.size());
    for (std::string_view cluster : clusters) {
        size_t start = 0;
        if (cluster.size() > 1) {
            for (size_t i = 0; i < cluster.size(); ++i) {
                if (!isDelimiter(cluster[i]))
                    continue;
                if (i > start)
                    result.push_back(cluster.substr(start, i - start));
                result.push_back(cluster.substr(i, 1));
                start = i + 1;
            }
        }
        if (start < cluster.size())
            result.push_back(cluster.substr(start));
    }
    return result;
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
    for (std::string_view character : characters(key)) {
        if (!isBareKeyCharacter(character))
            return false;
    }
    return true;
}

TOMLParser::TOMLParser(std::string_view text)
    : m_text(text)
    , m_characters(characters(text))
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
            const Character* next = peek(1);
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

bool TOMLParser::isAt(std::string_view character) const
{
    return !atEnd() && m_characters[m_cursor] == character;
}

const TOMLParser::Character* TOMLParser::peek(size_t offset) const
{
    if (m_cursor + offset >= m_characters.size())
        return nullptr;
    return &m_characters[m_cursor + offset];
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
    while (!atEnd() && !isAt("\n"))
        ++m_cursor;
    consumeNewline();
}

void TOMLParser::advance(size_t count)
{
    for (; count > 0 && !atEnd(); --count) {
        if (m_characters[m_cursor] == "\n")
            ++m_line;
        ++m_cursor;
    }
}

bool TOMLParser::match(std::string_view word)
{
    for (size_t i = 0; i < word.size(); ++i) {
        const Character* character = peek(i);
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
            while (!atEnd() && !isAt("\n"))
                ++m_cursor;
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
        while (!atEnd() && !isAt("\n"))
            ++m_cursor;
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
    while (!atEnd() && isBareKeyCharacter(m_characters[m_cursor]))
        ++m_cursor;
    if (m_cursor == start)
        error("Expected a key.");
    return textFrom(start);
}

TOMLValue TOMLParser::parseValue()
{
    if (atEnd())
        error("Expected a value.");
    if (isAt("\"")) {
        const Character* second = peek(1);
        const Character* third = peek(2);
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
    if (isAt("-") || UnicodeText::isNumeric(m_characters[m_cursor]))
        return parseNumber();
    error("Unsupported value.");
}

std::string TOMLParser::parseBasicString()
{
    advance();
    std::string text;
    while (true) {
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
        if (atEnd())
            error("A multiline string is missing its closing quotes.");
        if (match("\"\"\""))
            return text;
        takeStringCharacter(text);
    }
}

void TOMLParser::takeStringCharacter(std::string& into)
{
    if (isAt("\\")) {
        parseEscape(into);
        return;
    }
    into += m_characters[m_cursor];
    advance();
}

void TOMLParser::parseEscape(std::string& into)
{
    advance();
    if (atEnd())
        error("A string ends in a backslash.");
    std::string_view character = m_characters[m_cursor];
    advance();
    // The escape letter is the cluster's first scalar, so a combining mark after it is kept as text.
    switch (character.front()) {
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

template <typename ReadElement>
void TOMLParser::parseDelimited(std::string_view closing, const char* missing, ReadElement readElement)
{
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
        while (!atEnd() && UnicodeText::isNumeric(m_characters[m_cursor]))
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
    if (start >= m_characters.size())
        return {};
    const char* first = m_characters[start].data();
    const char* last = atEnd() ? m_text.data() + m_text.size() : m_characters[m_cursor].data();
    return std::string(first, last);
}

void TOMLParser::error(const std::string& message) const
{
    throw QuorvaneError::config("Config line " + std::to_string(m_line) + ": " + message);
}

} // namespace quorvane
