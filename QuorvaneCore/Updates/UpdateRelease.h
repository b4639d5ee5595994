#pragma once

#include <string>

namespace quorvane {

// A release as the release feed announces it.
struct UpdateRelease {
    // Its release number, such as "1.2.0".
    std::string version;
    // Where people get it: an http or https address.
    std::string url;

    friend bool operator==(const UpdateRelease&, const UpdateRelease&) = default;
};

} // namespace quorvane
