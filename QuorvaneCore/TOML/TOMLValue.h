#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace quorvane {

// One value of the config file: string, bool, int, double, array or inline table.
class TOMLValue {
public:
    using Array = std::vector<TOMLValue>;
    // An inline table keeps its pairs in source order; a repeated key stays two pairs.
    using Table = std::vector<std::pair<std::string, TOMLValue>>;

    // The cases, in this order: string, bool, int, double, array, table.
    enum class Kind { string, boolean, integer, decimal, array, table };

    // The empty string.
    TOMLValue();

    static TOMLValue string(std::string text);
    static TOMLValue boolean(bool value);
    static TOMLValue integer(int64_t value);
    static TOMLValue decimal(double value);
    static TOMLValue array(Array elements);
    static TOMLValue table(Table pairs);

    Kind kind() const { return static_cast<Kind>(m_payload.index()); }

    // The payload of the matching case; null (or no value) for every other case.
    const std::string* asString() const { return std::get_if<std::string>(&m_payload); }
    std::optional<bool> asBool() const;
    std::optional<int64_t> asInteger() const;
    std::optional<double> asDouble() const;
    const Array* asArray() const { return std::get_if<Array>(&m_payload); }
    const Table* asTable() const { return std::get_if<Table>(&m_payload); }

    // The integer view: an int, or a double that is a whole number within the signed 64-bit range.
    std::optional<int64_t> intValue() const;

    // Structural equality by case and payload; doubles compare by value.
    friend bool operator==(const TOMLValue&, const TOMLValue&) = default;

private:
    using Payload = std::variant<std::string, bool, int64_t, double, Array, Table>;
    explicit TOMLValue(Payload payload);

    Payload m_payload;
};

} // namespace quorvane
