#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>

namespace quorvane {

// Reads whole regular files as bytes. Anything else (a folder, FIFO, device or socket) and a file over
// the caller's size limit are refused with a usage QuorvaneError naming the path, before any byte is read
// and without waiting on the open. Platform failures are thrown as std::system_error.
namespace FileContents {

inline constexpr size_t unlimited = std::numeric_limits<size_t>::max();

// The bytes of the file at `path`; a missing file is a failure like any other.
std::string read(const std::string& path, size_t maximumSize = unlimited);

// The bytes of the file at `path`, or nothing when no file is there.
std::optional<std::string> readIfPresent(const std::string& path, size_t maximumSize = unlimited);

// The bytes of the file at `path`, or nothing when it cannot be read for any reason, a size over
// `maximumSize` included. Never throws a platform failure or a refusal.
std::optional<std::string> readIfReadable(const std::string& path, size_t maximumSize = unlimited);

} // namespace FileContents

} // namespace quorvane
