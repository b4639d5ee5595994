#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The file recording which build was last granted Accessibility: one line, the build string.
namespace AccessibilityGrantDisk {

// The file's name inside the application-support folder.
inline constexpr std::string_view fileName = "accessibility-grant.txt";

// The grant file inside `applicationSupportFolder`.
std::string file(const std::string& applicationSupportFolder);

// The recorded build, trimmed; none when the file is missing, unreadable, not UTF-8 or blank.
std::optional<std::string> load(const std::string& path);

// Records `build` atomically (mode 0644). Platform failures are thrown as std::system_error.
void save(std::string_view build, const std::string& path);

} // namespace AccessibilityGrantDisk

} // namespace quorvane
