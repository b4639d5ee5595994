#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvane {

// A malformed JSON text, a value nested too deeply, or a member of the wrong kind.
class JSONError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A JSON value with a deterministic compact writer: members sorted by name, no white space.
class JSONValue {
public:
    using Array = std::vector<JSONValue>;
    // Byte order of UTF-8 keys is the order of their Unicode scalars.
    using Object = std::map<std::string, JSONValue>;
    using Storage = std::variant<bool, int64_t, double, std::string, Array, Object, std::nullptr_t>;

    // Texts nested deeper than this are refused by the reader.
    static constexpr int maximumDepth = 256;

    JSONValue()
        : m_storage(nullptr)
    {
    }
    JSONValue(std::nullptr_t)
        : m_storage(nullptr)
    {
    }
    JSONValue(bool value)
        : m_storage(value)
    {
    }
    JSONValue(int value)
        : m_storage(int64_t { value })
    {
    }
    JSONValue(int64_t value)
        : m_storage(value)
    {
    }
    JSONValue(double value)
        : m_storage(value)
    {
    }
    JSONValue(std::string value)
        : m_storage(std::move(value))
    {
    }
    JSONValue(const char* value)
        : m_storage(std::string(value))
    {
    }
    JSONValue(Array value)
        : m_storage(std::move(value))
    {
    }
    JSONValue(Object value)
        : m_storage(std::move(value))
    {
    }

    // Reads one JSON text (RFC 8259, UTF-8); throws JSONError when it is not one.
    static JSONValue parse(std::string_view text);

    bool isNull() const { return std::holds_alternative<std::nullptr_t>(m_storage); }
    const Storage& storage() const { return m_storage; }

    // Each accessor gives nothing when the value is of another kind.
    const Object* objectValue() const { return std::get_if<Object>(&m_storage); }
    const Array* arrayValue() const { return std::get_if<Array>(&m_storage); }
    const std::string* stringValue() const { return std::get_if<std::string>(&m_storage); }
    std::optional<bool> boolValue() const;
    // An int, or a double that is a whole number within the signed 64-bit range.
    std::optional<int64_t> intValue() const;
    // An int or a double, as a double.
    std::optional<double> numberValue() const;

    // The compact, sorted text; the same value always gives the same bytes.
    std::string canonicalString() const;
    std::string canonicalData() const { return canonicalString(); }

    friend bool operator==(const JSONValue&, const JSONValue&) = default;

private:
    void write(std::string& out) const;

    Storage m_storage;
};

// `text` as a JSON string literal: control characters escaped, everything else (including "/") verbatim.
std::string quoteJSON(std::string_view text);

} // namespace quorvane
