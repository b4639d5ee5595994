#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvane {

// One icon a page or its manifest declares (or the manifest link itself).
struct IconCandidate {
    // Absolute address.
    std::string url;
    // The largest width `sizes` declares, 1 to 10000 pixels.
    std::optional<int64_t> size;
    // Lower-cased `rel`; "manifest" for the manifest link, "manifest-icon" for the manifest's icons.
    std::string rel;

    friend bool operator==(const IconCandidate&, const IconCandidate&) = default;
};

} // namespace quorvane
