#include "TOML/TOMLValue.h"

#include <cmath>

namespace quorvane {

TOMLValue::TOMLValue()
    : m_payload(std::string())
{
}

TOMLValue::TOMLValue(Payload payload)
    : m_payload(std::move(payload))
{
}

TOMLValue TOMLValue::string(std::string text)
{
    return TOMLValue(Payload(std::in_place_index<0>, std::move(text)));
}
TOMLValue TOMLValue::boolean(bool value)
{
    return TOMLValue(Payload(std::in_place_index<1>, value));
}
TOMLValue TOMLValue::integer(int64_t value)
{
    return TOMLValue(Payload(std::in_place_index<2>, value));
}
TOMLValue TOMLValue::decimal(double value)
{
    return TOMLValue(Payload(std::in_place_index<3>, value));
}
TOMLValue TOMLValue::array(Array elements)
{
    return TOMLValue(Payload(std::in_place_index<4>, std::move(elements)));
}
TOMLValue TOMLValue::table(Table pairs)
{
    return TOMLValue(Payload(std::in_place_index<5>, std::move(pairs)));
}

std::optional<bool> TOMLValue::asBool() const
{
    if (const bool* value = std::get_if<bool>(&m_payload))
        return *value;
    return std::nullopt;
}

std::optional<int64_t> TOMLValue::asInteger() const
{
    if (const int64_t* value = std::get_if<int64_t>(&m_payload))
        return *value;
    return std::nullopt;
}

std::optional<double> TOMLValue::asDouble() const
{
    if (const double* value = std::get_if<double>(&m_payload))
        return *value;
    return std::nullopt;
}

std::optional<int64_t> TOMLValue::intValue() const
{
    if (const int64_t* value = std::get_if<int64_t>(&m_payload))
        return *value;
    if (const double* value = std::get_if<double>(&m_payload)) {
        // -2^63 is exactly representable; +2^63 is not an int64, so the upper bound is exclusive.
        constexpr double limit = 9223372036854775808.0;
        if (std::isfinite(*value) && std::trunc(*value) == *value && *value >= -limit && *value < limit)
            return static_cast<int64_t>(*value);
    }
    return std::nullopt;
}

} // namespace quorvane
