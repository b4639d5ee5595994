#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

struct QuorvanePaths;

// Finds installed desktop files by their desktop-file id with plain file look-ups, so the command-line tool
// needs no desktop library. An id names "<id>.desktop" in one of the applications folders, where each "-"
// of the id may also stand for a sub-folder ("org-editor" is also "org/editor.desktop").
namespace DesktopEntryLookup {

// The desktop file that `id` names: the first found along `paths.applicationDirectories()`. Nothing when
// there is none, when that file hides the id ("Hidden=true", the way a user deletes a shared entry), or
// when `id` could not be a file name (empty, or holding "/" or a control character).
std::optional<std::string> find(const QuorvanePaths& paths, std::string_view id);

// The value of `key` in the "[Desktop Entry]" group of a desktop file's text, as written; nothing when the
// group does not set it.
std::optional<std::string> entryValue(std::string_view text, std::string_view key);

// Whether `find` gives a file.
bool isInstalled(const QuorvanePaths& paths, std::string_view id);

} // namespace DesktopEntryLookup

} // namespace quorvane
