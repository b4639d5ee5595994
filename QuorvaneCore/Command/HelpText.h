#pragma once

#include <string_view>

namespace quorvane::HelpText {

// The help screen, without a trailing newline.
std::string_view text();

} // namespace quorvane::HelpText
