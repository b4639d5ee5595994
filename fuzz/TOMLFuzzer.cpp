// Any input either parses or fails with a "Config line" error; whatever parses (and whatever the
// edits make of it) renders to text that reads back to the same values, and renders again unchanged.

#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "TOML/TOMLDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

using namespace quorvane;

namespace {

[[noreturn]] void fail(const char* what, const std::string& text)
{
    std::fprintf(stderr, "%s\n---\n%s\n---\n", what, text.c_str());
    std::abort();
}

// Equal values, except that a whole double may come back as the equal integer.
bool equivalent(const TOMLValue& written, const TOMLValue& read)
{
    if (written.kind() == TOMLValue::Kind::decimal && read.kind() == TOMLValue::Kind::integer)
        return written.intValue() == read.asInteger();
    if (written.kind() != read.kind())
        return false;
    if (const TOMLValue::Array* elements = written.asArray()) {
        const TOMLValue::Array& others = *read.asArray();
        if (elements->size() != others.size())
            return false;
        for (size_t i = 0; i < elements->size(); ++i) {
            if (!equivalent((*elements)[i], others[i]))
                return false;
        }
        return true;
    }
    if (const TOMLValue::Table* pairs = written.asTable()) {
        const TOMLValue::Table& others = *read.asTable();
        if (pairs->size() != others.size())
            return false;
        for (size_t i = 0; i < pairs->size(); ++i) {
            if ((*pairs)[i].first != others[i].first || !equivalent((*pairs)[i].second, others[i].second))
                return false;
        }
        return true;
    }
    return written == read;
}

// Header and key nodes carry the values; raw nodes may merge on reading, so they are left out here
// and guarded by the text comparison instead.
bool sameValues(const TOMLDocument& written, const TOMLDocument& read)
{
    std::vector<const TOMLNode*> left, right;
    for (const TOMLNode& node : written.nodes) {
        if (!node.asRaw())
            left.push_back(&node);
    }
    for (const TOMLNode& node : read.nodes) {
        if (!node.asRaw())
            right.push_back(&node);
    }
    if (left.size() != right.size())
        return false;
    for (size_t i = 0; i < left.size(); ++i) {
        if (const TOMLNode::Header* header = left[i]->asHeader()) {
            if (!(right[i]->asHeader() && *header == *right[i]->asHeader()))
                return false;
            continue;
        }
        const TOMLNode::Key& key = *left[i]->asKey();
        const TOMLNode::Key* other = right[i]->asKey();
        if (!other || key.table != other->table || key.key != other->key || key.trailing != other->trailing
            || !equivalent(key.value, other->value))
            return false;
    }
    return true;
}

void checkRoundTrip(const TOMLDocument& document)
{
    std::string text = document.text();
    TOMLDocument reread;
    try {
        reread = TOMLDocument::parse(text);
    } catch (const QuorvaneError& error) {
        fail(error.message().c_str(), text);
    }
    if (!sameValues(document, reread))
        fail("rendered text reads back to other values", text);
    if (reread.text() != text)
        fail("rendering is not idempotent", text);
}

bool holdsOnlyUTF8(const TOMLPath& table, const std::string& key, const TOMLValue& value)
{
    const std::string* text = value.asString();
    return UnicodeText::isValidUTF8(key) && (!text || UnicodeText::isValidUTF8(*text))
        && std::all_of(
            table.begin(), table.end(), [](const std::string& part) { return UnicodeText::isValidUTF8(part); });
}

std::string randomText(FuzzedDataProvider& data)
{
    return data.ConsumeRandomLengthString(24);
}

TOMLValue randomValue(FuzzedDataProvider& data, int depth)
{
    switch (data.ConsumeIntegralInRange(0, depth > 0 ? 5 : 3)) {
    case 0:
        return TOMLValue::string(randomText(data));
    case 1:
        return TOMLValue::boolean(data.ConsumeBool());
    case 2:
        return TOMLValue::integer(data.ConsumeIntegral<int64_t>());
    case 3:
        return TOMLValue::decimal(data.ConsumeFloatingPoint<double>());
    case 4: {
        TOMLValue::Array elements(data.ConsumeIntegralInRange(0, 3));
        for (TOMLValue& element : elements)
            element = randomValue(data, depth - 1);
        return TOMLValue::array(std::move(elements));
    }
    default: {
        TOMLValue::Table pairs(data.ConsumeIntegralInRange(0, 3));
        for (auto& [key, value] : pairs) {
            key = randomText(data);
            value = randomValue(data, depth - 1);
        }
        return TOMLValue::table(std::move(pairs));
    }
    }
}

TOMLPath randomTable(FuzzedDataProvider& data, const TOMLDocument& document)
{
    std::vector<TOMLPath> known { {} };
    for (const TOMLNode& node : document.nodes) {
        if (const TOMLNode::Header* header = node.asHeader())
            known.push_back(header->path);
        else if (const TOMLNode::Key* key = node.asKey())
            known.push_back(key->table);
    }
    if (data.ConsumeBool())
        return known[data.ConsumeIntegralInRange<size_t>(0, known.size() - 1)];
    TOMLPath path(data.ConsumeIntegralInRange(0, 2));
    for (std::string& segment : path)
        segment = randomText(data);
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    std::string text = data.ConsumeRandomLengthString(size);
    TOMLDocument document;
    try {
        document = TOMLDocument::parse(text);
    } catch (const QuorvaneError& error) {
        if (error.code() != "config" || !error.message().starts_with("Config line "))
            fail(error.message().c_str(), text);
        return 0;
    }
    checkRoundTrip(document);

    for (int edits = data.ConsumeIntegralInRange(0, 8); edits > 0 && data.remaining_bytes() > 0; --edits) {
        TOMLPath table = randomTable(data, document);
        switch (data.ConsumeIntegralInRange(0, 3)) {
        case 0:
        case 1: {
            std::string key = randomText(data);
            TOMLValue value = randomValue(data, 2);
            TOMLDocument before = document;
            try {
                document.set(table, key, value);
            } catch (const QuorvaneError&) {
                // Only a number the file cannot hold, text that is not UTF-8, a table given as one value or a
                // key given as a table is refused, and a refusal changes nothing.
                TOMLPath asTable = table;
                asTable.push_back(key);
                if (value.kind() != TOMLValue::Kind::array && value.kind() != TOMLValue::Kind::table
                    && value.kind() != TOMLValue::Kind::decimal && holdsOnlyUTF8(table, key, value)
                    && !document.valueHolding(table) && !document.holdsTable(asTable))
                    fail("set refused a value", key);
                if (document != before)
                    fail("a refused set changed the document", document.text());
            }
            break;
        }
        case 2:
            document.remove(table, randomText(data));
            break;
        default:
            document.removeTable(table);
            break;
        }
    }
    checkRoundTrip(document);
    return 0;
}
