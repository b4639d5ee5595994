#pragma once

#include <string>
#include <vector>

namespace quorvane {

struct Invocation;

namespace CommandParser {

// Reads the words after the program name. Throws a usage QuorvaneError (exit code 1) for a
// malformed command line; words are copied verbatim and checked later by the commands.
Invocation parse(const std::vector<std::string>& arguments);

} // namespace CommandParser

} // namespace quorvane
