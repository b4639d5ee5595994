#pragma once

#include <string_view>

namespace quorvane::DefaultConfig {

// The config.toml a first run writes and an absent file stands for; every line ends in a line feed.
std::string_view text();

} // namespace quorvane::DefaultConfig
