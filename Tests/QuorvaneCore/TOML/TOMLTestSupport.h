#pragma once

#include "TOML/TOMLNode.h"

#include <ostream>

namespace quorvane {

// Readable failure output for values and nodes.
void PrintTo(const TOMLValue& value, std::ostream* out);
void PrintTo(const TOMLNode& node, std::ostream* out);

namespace test {

// Shorthands so that expected nodes read like the file they come from.
inline TOMLValue str(std::string text) { return TOMLValue::string(std::move(text)); }
inline TOMLValue integer(int64_t value) { return TOMLValue::integer(value); }
inline TOMLValue decimal(double value) { return TOMLValue::decimal(value); }
inline TOMLValue boolean(bool value) { return TOMLValue::boolean(value); }

} // namespace test

} // namespace quorvane
