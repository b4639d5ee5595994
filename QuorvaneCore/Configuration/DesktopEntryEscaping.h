#pragma once

#include <string>
#include <string_view>

namespace quorvane::DesktopEntryEscaping {

// A desktop-entry string value: backslash and line breaks escaped, other control characters as spaces,
// and a leading space kept as "\s".
std::string string(std::string_view text);

// `argument` as one argument of an Exec line: always in double quotes, with ", `, $ and \ escaped inside
// and "%" doubled so that it is no field code, then escaped once more as a string value.
std::string execArgument(std::string_view argument);

} // namespace quorvane::DesktopEntryEscaping
