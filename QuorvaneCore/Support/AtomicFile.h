#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace quorvane {

// Writes files so that a reader, a crash or a power loss sees either the old file or the
// complete new one. The new text goes to a hidden temporary file named ".quorvane-<UUID>.tmp" in the
// destination's folder, which then replaces the destination. Platform failures are thrown as
// std::system_error.
namespace AtomicFile {

// Writes `contents` as the file at `path` with permission bits `mode`, creating missing folders.
// Whatever stands at `path` is replaced: a symbolic link there gives way to the file, never written through.
void write(std::string_view contents, const std::string& path, mode_t mode);

// Writes a file that a person may keep elsewhere behind a symbolic link (a dotfile repository). The chain
// of links at `path` is followed to its end, which must be a regular file (replaced, keeping its
// permission bits and, for root, its owner) or nothing, in a folder that exists (created with
// `newFileMode`). Any other end, a device, FIFO, socket or folder, is refused with a usage QuorvaneError
// naming `path`. Missing folders are created only when `path` itself is missing, never at a link's target.
void writeThroughLinks(std::string_view contents, const std::string& path, mode_t newFileMode);

// Makes `path` a real folder: creates it and its missing parents, and replaces a symbolic link standing
// there, so that what is written inside never lands at the link's target.
void makeFolder(const std::string& path);

// The path a write through links to `path` replaces: `path` itself, or the end of its chain of links.
std::string resolvedDestination(const std::string& path);

} // namespace AtomicFile

} // namespace quorvane
