#pragma once

#include "Updates/UpdateCheckResult.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The release feed: a small JSON document such as {"version": "1.2.0", "url": "https://…"} at an address
// fixed when Quorvane is built. A check fetches it and compares its version with the running one.
namespace UpdateFeed {

// The environment variable that overrides the built-in address.
inline constexpr const char* environmentVariable = "QUORVANE_UPDATE_FEED";

// The feed to check: the variable's value when it is set (set but empty: none), else the address built in;
// none when that is empty too, and updates come from the package manager.
std::optional<std::string> address(std::optional<std::string_view> environmentValue);

// The one thing a check tells the server: "Quorvane/" and the running version.
std::string userAgent();

// Whether `release` has a release number and an http or https address with a host.
bool isValid(const UpdateRelease&);

// What the feed's text says about `currentVersion`: a newer release (version and http or https address),
// none, or why the text is not a usable feed. Never throws.
UpdateCheckResult judge(std::string_view text, std::string_view currentVersion);

} // namespace UpdateFeed

} // namespace quorvane
