#pragma once

#include <optional>
#include <string>

namespace quorvane {

// Reads whole files as bytes. Platform failures are thrown as std::system_error.
namespace FileContents {

// The bytes of the file at `path`; a missing file is a failure like any other.
std::string read(const std::string& path);

// The bytes of the file at `path`, or nothing when no file is there.
std::optional<std::string> readIfPresent(const std::string& path);

// The bytes of the file at `path`, or nothing when it cannot be read for any reason. Never throws a
// platform failure.
std::optional<std::string> readIfReadable(const std::string& path);

} // namespace FileContents

} // namespace quorvane
