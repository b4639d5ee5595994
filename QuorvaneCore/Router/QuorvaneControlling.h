#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

enum class TileSlot;
struct DoctorCheck;
struct Layout;

// The running application's live window control, as commands reach it. Operations may throw.
class QuorvaneControlling {
public:
    virtual ~QuorvaneControlling() = default;

    // Moves the first window of the application into `slot` of the given display (1-based) or the main one.
    virtual void snap(const std::string& bundleIdentifier, TileSlot slot, std::optional<int64_t> display) = 0;
    // The current windows as a layout called `name`.
    virtual Layout captureLayout(const std::string& name) = 0;
    // Arranges the windows by the configured layout called `name`.
    virtual void applyLayout(const std::string& name) = 0;
    // The application's permission checks for `doctor`.
    virtual std::vector<DoctorCheck> permissionChecks() = 0;
    // The name of this computer as the user sees it.
    virtual std::string macName() = 0;
};

} // namespace quorvane
