#include "JSON/JSONValue.h"

#include <charconv>
#include <cmath>

namespace quorvane {

namespace {

// The doubles that are whole numbers representable as int64_t: [-2^63, 2^63).
std::optional<int64_t> wholeInteger(double value)
{
    constexpr double twoToThe63 = 9223372036854775808.0;
    if (!std::isfinite(value) || value != std::trunc(value) || value < -twoToThe63 || value >= twoToThe63)
        return std::nullopt;
    return static_cast<int64_t>(value);
}

void writeDouble(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    if (auto whole = wholeInteger(value)) {
        out += std::to_string(*whole);
        return;
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendQuoted(std::string& out, std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    // Every byte below 0x20 is a whole scalar in UTF-8, so the rest can be copied byte by byte.
    for (char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

} // namespace

std::optional<bool> JSONValue::boolValue() const
{
    if (auto* value = std::get_if<bool>(&m_storage))
        return *value;
    return std::nullopt;
}

std::optional<int64_t> JSONValue::intValue() const
{
    if (auto* value = std::get_if<int64_t>(&m_storage))
        return *value;
    if (auto* value = std::get_if<double>(&m_storage))
        return wholeInteger(*value);
    return std::nullopt;
}

std::optional<double> JSONValue::numberValue() const
{
    if (auto* value = std::get_if<int64_t>(&m_storage))
        return static_cast<double>(*value);
    if (auto* value = std::get_if<double>(&m_storage))
        return *value;
    return std::nullopt;
}

std::string JSONValue::canonicalString() const
{
    std::string out;
    write(out);
    return out;
}

void JSONValue::write(std::string& out) const
{
    std::visit(
        [&out](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) {
                out += value ? "true" : "false";
            } else if constexpr (std::is_same_v<T, int64_t>) {
                out += std::to_string(value);
            } else if constexpr (std::is_same_v<T, double>) {
                writeDouble(out, value);
            } else if constexpr (std::is_same_v<T, std::string>) {
                appendQuoted(out, value);
            } else if constexpr (std::is_same_v<T, Array>) {
                out += '[';
                for (size_t i = 0; i < value.size(); ++i) {
                    if (i)
                        out += ',';
                    value[i].write(out);
                }
                out += ']';
            } else if constexpr (std::is_same_v<T, Object>) {
                out += '{';
                bool first = true;
                for (const auto& [name, member] : value) {
                    if (!first)
                        out += ',';
                    first = false;
                    appendQuoted(out, name);
                    out += ':';
                    member.write(out);
                }
                out += '}';
            } else {
                out += "null";
            }
        },
        m_storage);
}

std::string quoteJSON(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
    return out;
}

} // namespace quorvane
