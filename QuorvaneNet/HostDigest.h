#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// SHA-1 of `bytes` as 40 lower-case hexadecimal digits; tells whether two web host executables differ.
std::string hostDigest(std::string_view bytes);

// `hostDigest` of the file at `path`, or nothing when it cannot be read.
std::optional<std::string> digest(const std::string& path);

} // namespace quorvane
