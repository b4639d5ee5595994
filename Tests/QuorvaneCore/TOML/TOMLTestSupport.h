#pragma once

#include "TOML/TOMLDocument.h"

#include <iomanip>
#include <ostream>

namespace quorvane {

// Failures show nodes and values as the file would hold them; the case number tells 2 from 2.0.
inline void PrintTo(const TOMLNode& node, std::ostream* out)
{
    *out << std::quoted(renderTOML({ node }));
}
inline void PrintTo(const TOMLValue& value, std::ostream* out)
{
    *out << "case " << static_cast<int>(value.kind()) << ": ";
    PrintTo(TOMLNode::key({}, "v", value), out);
}

namespace test {

// Shorthands so that expected nodes read like the file they come from.
inline TOMLValue str(std::string text)
{
    return TOMLValue::string(std::move(text));
}
inline TOMLValue integer(int64_t value)
{
    return TOMLValue::integer(value);
}
inline TOMLValue decimal(double value)
{
    return TOMLValue::decimal(value);
}
inline TOMLValue boolean(bool value)
{
    return TOMLValue::boolean(value);
}

} // namespace test

} // namespace quorvane
