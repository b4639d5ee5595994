#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace quorvane {

// Writes files so that a reader, a crash or a power loss sees either the old file or the
// complete new one. Platform failures are thrown as std::system_error.
namespace AtomicFile {

// Writes `contents` to `path` with permission bits `mode`, creating missing folders.
// A symbolic link at `path` stays in place and its final target is replaced instead.
void write(std::string_view contents, const std::string& path, mode_t mode);

// The path a write to `path` replaces: `path` itself, or the end of its chain of links.
std::string resolvedDestination(const std::string& path);

} // namespace AtomicFile

} // namespace quorvane
