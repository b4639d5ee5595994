#pragma once

#include "Updates/UpdateRelease.h"

#include <optional>
#include <string>

namespace quorvane {

// What one check of the release feed found.
struct UpdateCheckResult {
    enum class Status { upToDate, available, failed };

    Status status = Status::failed;
    // The newer release, when one is available.
    std::optional<UpdateRelease> release;
    // Why the check failed: one sentence for the user.
    std::string problem;

    static UpdateCheckResult failure(std::string problem)
    {
        return { Status::failed, std::nullopt, std::move(problem) };
    }

    friend bool operator==(const UpdateCheckResult&, const UpdateCheckResult&) = default;
};

} // namespace quorvane
