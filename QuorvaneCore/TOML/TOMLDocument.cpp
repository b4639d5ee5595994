#include "TOML/TOMLDocument.h"

#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "TOML/TOMLParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace quorvane {

namespace {

bool isKeyOf(const TOMLNode& node, const TOMLPath& table, std::string_view key)
{
    const TOMLNode::Key* keyNode = node.asKey();
    return keyNode && keyNode->table == table && keyNode->key == key;
}

bool isHeaderOf(const TOMLNode& node, const TOMLPath& path)
{
    const TOMLNode::Header* header = node.asHeader();
    return header && header->path == path;
}

bool endsInLineFeed(const TOMLNode& node)
{
    const TOMLNode::Raw* raw = node.asRaw();
    return raw && raw->text.ends_with('\n');
}

bool holdsOnlyFiniteNumbers(const TOMLValue& value)
{
    if (std::optional<double> number = value.asDouble())
        return std::isfinite(*number);
    if (const TOMLValue::Array* elements = value.asArray())
        return std::all_of(elements->begin(), elements->end(), holdsOnlyFiniteNumbers);
    if (const TOMLValue::Table* pairs = value.asTable())
        return std::all_of(
            pairs->begin(), pairs->end(), [](const auto& pair) { return holdsOnlyFiniteNumbers(pair.second); });
    return true;
}

// TOML allows no control character but the tab raw in a string; the others are written as \uXXXX.
bool needsUnicodeEscape(char byte)
{
    return (static_cast<unsigned char>(byte) < 0x20 && byte != '\t') || byte == '\x7F';
}

bool holdsOnlyValidText(const TOMLValue& value)
{
    if (const std::string* text = value.asString())
        return UnicodeText::isValidUTF8(*text);
    if (const TOMLValue::Array* elements = value.asArray())
        return std::all_of(elements->begin(), elements->end(), holdsOnlyValidText);
    if (const TOMLValue::Table* pairs = value.asTable())
        return std::all_of(pairs->begin(), pairs->end(),
            [](const auto& pair) { return UnicodeText::isValidUTF8(pair.first) && holdsOnlyValidText(pair.second); });
    return true;
}

std::string renderTOMLString(std::string_view text)
{
    std::string result = "\"";
    for (char byte : text) {
        switch (byte) {
        case '\\':
            result += "\\\\";
            break;
        case '"':
            result += "\\\"";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            if (needsUnicodeEscape(byte))
                result += UnicodeText::unicodeEscape(static_cast<unsigned char>(byte));
            else
                result += byte;
        }
    }
    return result + "\"";
}

// Quotes stay readable in scripts; only a run that could close the string early (three or more,
// or any run that ends the text and so meets the closing quotes) is escaped. Carriage returns are
// escaped because the file store turns raw ones into line feeds.
std::string renderTOMLMultilineString(std::string_view text)
{
    std::string result = "\"\"\"\n";
    for (size_t i = 0; i < text.size();) {
        char byte = text[i];
        if (byte == '"') {
            size_t run = text.find_first_not_of('"', i);
            size_t end = run == std::string_view::npos ? text.size() : run;
            bool escape = end - i >= 3 || end == text.size();
            for (; i < end; ++i)
                result += escape ? "\\\"" : "\"";
            continue;
        }
        if (byte == '\\')
            result += "\\\\";
        else if (byte == '\r')
            result += "\\r";
        else if (needsUnicodeEscape(byte) && byte != '\n')
            result += UnicodeText::unicodeEscape(static_cast<unsigned char>(byte));
        else
            result += byte;
        ++i;
    }
    return result + "\"\"\"";
}

// Plain positional notation with the shortest digits that read back to the same double:
// the reader takes neither exponents nor whole numbers beyond the 64-bit range as integers.
std::string renderTOMLDouble(double value)
{
    constexpr double limit = 9223372036854775808.0;
    if (std::trunc(value) == value && std::fabs(value) < limit)
        return std::to_string(static_cast<int64_t>(value));
    char buffer[64];
    auto [end, status] = std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::scientific);
    std::string_view scientific(buffer, static_cast<size_t>(end - buffer));
    if (status != std::errc() || !std::isfinite(value))
        return std::string(scientific);
    std::string result;
    if (scientific.starts_with('-')) {
        result = "-";
        scientific.remove_prefix(1);
    }
    size_t exponentAt = scientific.find('e');
    int exponent = 0;
    std::from_chars(scientific.data() + exponentAt + 1 + (scientific[exponentAt + 1] == '+'),
        scientific.data() + scientific.size(), exponent);
    std::string digits;
    for (char byte : scientific.substr(0, exponentAt)) {
        if (byte != '.')
            digits += byte;
    }
    int pointAt = exponent + 1;
    if (pointAt <= 0)
        return result + "0." + std::string(static_cast<size_t>(-pointAt), '0') + digits;
    if (static_cast<size_t>(pointAt) >= digits.size())
        return result + digits + std::string(static_cast<size_t>(pointAt) - digits.size(), '0') + ".0";
    return result + digits.substr(0, static_cast<size_t>(pointAt)) + "." + digits.substr(static_cast<size_t>(pointAt));
}

std::string renderTOMLKey(const std::string& key)
{
    // The reader takes letters of any script in bare keys; other readers take ASCII only, so the rest is quoted.
    bool ascii = std::ranges::all_of(key, [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
    return ascii && TOMLParser::isBareKey(key) ? key : renderTOMLString(key);
}

// The segments as a header writes them, joined with dots.
std::string renderTOMLPath(const TOMLPath& path)
{
    std::string text;
    for (size_t i = 0; i < path.size(); ++i)
        text += (i ? "." : "") + renderTOMLKey(path[i]);
    return text;
}

} // namespace

std::string renderTOMLValue(const TOMLValue& value)
{
    switch (value.kind()) {
    case TOMLValue::Kind::string: {
        const std::string& text = *value.asString();
        return text.find('\n') == std::string::npos ? renderTOMLString(text) : renderTOMLMultilineString(text);
    }
    case TOMLValue::Kind::boolean:
        return *value.asBool() ? "true" : "false";
    case TOMLValue::Kind::integer:
        return std::to_string(*value.asInteger());
    case TOMLValue::Kind::decimal:
        return renderTOMLDouble(*value.asDouble());
    case TOMLValue::Kind::array: {
        std::string result = "[";
        for (const TOMLValue& element : *value.asArray())
            result += (result.size() > 1 ? ", " : "") + renderTOMLValue(element);
        return result + "]";
    }
    case TOMLValue::Kind::table: {
        std::string result = "{ ";
        bool first = true;
        for (const auto& [key, element] : *value.asTable()) {
            result += (first ? "" : ", ") + renderTOMLKey(key) + " = " + renderTOMLValue(element);
            first = false;
        }
        return result + " }";
    }
    }
    return {};
}

namespace {

std::string renderTrailing(const std::string& trailing)
{
    std::string_view comment = TOMLParser::trimBlanks(trailing);
    return comment.empty() ? std::string() : " " + std::string(comment);
}

} // namespace

TOMLDocument TOMLDocument::parse(std::string_view text)
{
    return TOMLDocument { TOMLParser(text).parse() };
}

TOMLValue::Table TOMLDocument::pairs(const TOMLPath& table) const
{
    TOMLValue::Table result;
    for (const TOMLNode& node : nodes) {
        const TOMLNode::Key* key = node.asKey();
        if (key && key->table == table)
            result.emplace_back(key->key, key->value);
    }
    return result;
}

std::vector<TOMLPath> TOMLDocument::headers(const TOMLPath& parent) const
{
    std::vector<TOMLPath> result;
    for (const TOMLNode& node : nodes) {
        const TOMLNode::Header* header = node.asHeader();
        if (header && header->path.size() == parent.size() + 1
            && std::equal(parent.begin(), parent.end(), header->path.begin()))
            result.push_back(header->path);
    }
    return result;
}

std::optional<TOMLPath> TOMLDocument::valueHolding(const TOMLPath& table) const
{
    for (const TOMLNode& node : nodes) {
        const TOMLNode::Key* key = node.asKey();
        if (key && key->table.size() < table.size() && key->key == table[key->table.size()]
            && std::equal(key->table.begin(), key->table.end(), table.begin())) {
            TOMLPath path = key->table;
            path.push_back(key->key);
            return path;
        }
    }
    return std::nullopt;
}

bool TOMLDocument::holdsTable(const TOMLPath& path) const
{
    auto under = [&](const TOMLPath& other) {
        return other.size() >= path.size() && std::equal(path.begin(), path.end(), other.begin());
    };
    return std::any_of(nodes.begin(), nodes.end(), [&](const TOMLNode& node) {
        if (const TOMLNode::Header* header = node.asHeader())
            return under(header->path);
        const TOMLNode::Key* key = node.asKey();
        return key && under(key->table);
    });
}

void TOMLDocument::set(const TOMLPath& table, const std::string& key, TOMLValue value)
{
    if (!holdsOnlyFiniteNumbers(value))
        throw QuorvaneError::config("A config value cannot be an infinite number or NaN.");
    // Bytes that are not UTF-8 would make a file that no longer reads.
    bool validText = UnicodeText::isValidUTF8(key) && holdsOnlyValidText(value)
        && std::all_of(
            table.begin(), table.end(), [](const std::string& part) { return UnicodeText::isValidUTF8(part); });
    if (!validText)
        throw QuorvaneError::config("A config text is not valid UTF-8, so it was not written.");
    auto existing
        = std::find_if(nodes.begin(), nodes.end(), [&](const TOMLNode& node) { return isKeyOf(node, table, key); });
    if (existing != nodes.end()) {
        existing->asKey()->value = std::move(value);
        // Decoding lets the last of repeated keys win, so a repeat left behind would undo this edit.
        nodes.erase(std::remove_if(std::next(existing), nodes.end(),
                        [&](const TOMLNode& node) { return isKeyOf(node, table, key); }),
            nodes.end());
        return;
    }
    if (std::optional<TOMLPath> path = valueHolding(table)) {
        throw QuorvaneError::config("The config file writes " + renderTOMLPath(*path)
            + " on one line, so it cannot be changed here. Write it as a [" + renderTOMLPath(*path) + "] table.");
    }
    // Written beside the table, the key would be given twice, and no TOML reader would take the file.
    TOMLPath asTable = table;
    asTable.push_back(key);
    if (holdsTable(asTable)) {
        throw QuorvaneError::config("The config file writes " + renderTOMLPath(asTable)
            + " as a table, so it cannot be set to one value here. Remove that table first.");
    }
    ensureTable(table);
    size_t index = insertionIndex(table);
    // A last comment line without a line feed would otherwise swallow the new key.
    if (index > 0) {
        if (TOMLNode::Raw* raw = nodes[index - 1].asRaw(); raw && !raw->text.ends_with('\n'))
            raw->text += '\n';
    }
    nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(index), TOMLNode::key(table, key, std::move(value)));
}

void TOMLDocument::remove(const TOMLPath& table, std::string_view key)
{
    std::erase_if(nodes, [&](const TOMLNode& node) { return isKeyOf(node, table, key); });
}

void TOMLDocument::removeTable(const TOMLPath& path)
{
    // A hand edit may repeat a table's header: every section of the table goes, or the table would outlive
    // its removal.
    bool inTable = false;
    std::erase_if(nodes, [&](const TOMLNode& node) {
        if (node.asHeader())
            inTable = isHeaderOf(node, path);
        const TOMLNode::Key* key = node.asKey();
        return inTable || (key && key->table == path);
    });
}

std::string TOMLDocument::text() const
{
    return renderTOML(nodes);
}

void TOMLDocument::ensureTable(const TOMLPath& path)
{
    if (path.empty())
        return;
    // Dotted keys under another header make a table too; a header of its own would make it twice.
    auto defines = [&](const TOMLNode& node) {
        const TOMLNode::Key* key = node.asKey();
        return isHeaderOf(node, path) || (key && key->table == path);
    };
    if (std::any_of(nodes.begin(), nodes.end(), defines))
        return;
    if (!nodes.empty() && !endsInLineFeed(nodes.back()))
        nodes.push_back(TOMLNode::raw("\n"));
    nodes.push_back(TOMLNode::header(path));
}

size_t TOMLDocument::insertionIndex(const TOMLPath& path) const
{
    auto isHeader = [](const TOMLNode& node) { return node.asHeader() != nullptr; };
    if (path.empty()) {
        auto end = std::find_if(nodes.begin(), nodes.end(), isHeader);
        return skipBlank(static_cast<size_t>(end - nodes.begin()), 0);
    }
    auto header
        = std::find_if(nodes.begin(), nodes.end(), [&](const TOMLNode& node) { return isHeaderOf(node, path); });
    if (header == nodes.end()) {
        // A table of dotted keys only: after its last key, written dotted under the same header.
        auto last = std::find_if(nodes.rbegin(), nodes.rend(), [&](const TOMLNode& node) {
            const TOMLNode::Key* key = node.asKey();
            return key && key->table == path;
        });
        return last == nodes.rend() ? nodes.size() : static_cast<size_t>(nodes.rend() - last);
    }
    auto end = std::find_if(std::next(header), nodes.end(), isHeader);
    return skipBlank(static_cast<size_t>(end - nodes.begin()), static_cast<size_t>(header - nodes.begin()) + 1);
}

size_t TOMLDocument::skipBlank(size_t index, size_t floor) const
{
    while (index > floor) {
        const TOMLNode::Raw* raw = nodes[index - 1].asRaw();
        if (!raw || raw->text.find_first_not_of(" \t\n\r") != std::string::npos)
            break;
        --index;
    }
    return index;
}

std::string renderTOML(const std::vector<TOMLNode>& nodes)
{
    std::string text;
    const TOMLPath root;
    const TOMLPath* headerPath = &root;
    for (const TOMLNode& node : nodes) {
        if (const TOMLNode::Raw* raw = node.asRaw()) {
            text += raw->text;
        } else if (const TOMLNode::Header* header = node.asHeader()) {
            text += '[' + renderTOMLPath(header->path) + ']' + renderTrailing(header->trailing) + '\n';
            headerPath = &header->path;
        } else if (const TOMLNode::Key* key = node.asKey()) {
            for (size_t i = headerPath->size(); i < key->table.size(); ++i)
                text += renderTOMLKey(key->table[i]) + '.';
            text
                += renderTOMLKey(key->key) + " = " + renderTOMLValue(key->value) + renderTrailing(key->trailing) + '\n';
        }
    }
    return text;
}

} // namespace quorvane
