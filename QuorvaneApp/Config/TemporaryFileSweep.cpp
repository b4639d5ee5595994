#include "QuorvaneApp/Config/TemporaryFileSweep.h"

#include <chrono>
#include <filesystem>

namespace quorvane::TemporaryFileSweep {

namespace fs = std::filesystem;

bool isTemporaryName(const std::string& name)
{
    constexpr std::string_view prefix = ".quorvane-";
    constexpr std::string_view suffix = ".tmp";
    return name.size() > prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix);
}

int sweep(const std::string& folder, double minimumAgeSeconds)
{
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error)
        return 0;
    auto cutoff = fs::file_time_type::clock::now()
        - std::chrono::duration_cast<fs::file_time_type::duration>(std::chrono::duration<double>(minimumAgeSeconds));
    int removed = 0;
    for (const fs::directory_entry& entry : entries) {
        // A link of that name is somebody's own; only plain files are removed.
        if (!isTemporaryName(entry.path().filename().string()) || entry.is_symlink(error)
            || !entry.is_regular_file(error))
            continue;
        auto changed = fs::last_write_time(entry.path(), error);
        if (error || changed > cutoff)
            continue;
        if (fs::remove(entry.path(), error))
            ++removed;
    }
    return removed;
}

} // namespace quorvane::TemporaryFileSweep
