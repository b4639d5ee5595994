#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace quorvane {

namespace RawValueDetail {

// The raw value of a case is what `toString` of its own namespace gives.
struct ToString {
    template <typename Value> auto operator()(const Value& value) const { return toString(value); }
};

} // namespace RawValueDetail

// The first of `allCases` whose raw value (`toString(case)`, or `rawValueOf(case)`) is exactly `rawValue`,
// or nothing.
template <typename Value, typename Cases = std::initializer_list<Value>, typename RawValueOf = RawValueDetail::ToString>
std::optional<Value> parseRawValue(std::string_view rawValue, const Cases& allCases, RawValueOf rawValueOf = {})
{
    for (const Value& value : allCases) {
        if (std::invoke(rawValueOf, value) == rawValue)
            return value;
    }
    return std::nullopt;
}

} // namespace quorvane
