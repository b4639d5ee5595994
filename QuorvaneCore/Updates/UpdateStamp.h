#pragma once

#include "Updates/UpdateRelease.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The record of the last update check, kept as update-check.json in the data folder, so that a start
// within a day of a check does not check again and a release found stays announced.
struct UpdateStamp {
    // Seconds between two daily checks.
    static constexpr double interval = 24 * 60 * 60;

    // When the check ended, in seconds since 1970.
    double checked = 0;
    // The newer release it found, if any.
    std::optional<UpdateRelease> release;

    // The stamp in the file at `path`; none when it is missing, unreadable or not a stamp. A release that is
    // not a valid one is dropped.
    static std::optional<UpdateStamp> load(const std::string& path);
    // Writes the stamp atomically (mode 0644). Platform failures are thrown as std::system_error.
    void save(const std::string& path) const;

    // The stamp `text` holds, as `load` reads it.
    static std::optional<UpdateStamp> decode(std::string_view text);
    // The file's text: {"checked":…,"release":{"url":…,"version":…}}.
    std::string text() const;

    // Whether a check is due at `now`: there is no stamp, it is a day old or more, or it lies in the future
    // (the clock was put back).
    static bool isDue(const std::optional<UpdateStamp>&, double now);

    friend bool operator==(const UpdateStamp&, const UpdateStamp&) = default;
};

} // namespace quorvane
