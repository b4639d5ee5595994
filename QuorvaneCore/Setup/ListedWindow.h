#pragma once

#include "Tiling/Frame.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

// One entry of the window server's on-screen list.
struct ListedWindow {
    std::string ownerName;
    // The owning process's bundle identifier, when it has one.
    std::optional<std::string> bundleIdentifier;
    int64_t layer = 0;
    Frame bounds;
    bool onScreen = false;

    friend bool operator==(const ListedWindow&, const ListedWindow&) = default;
};

} // namespace quorvane
