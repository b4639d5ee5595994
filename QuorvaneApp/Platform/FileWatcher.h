#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quorvane {

// Identifies one watch; 0 is never a watch.
using WatchId = uint64_t;

// Tells the main loop when a file may have changed.
class FileWatcher {
public:
    virtual ~FileWatcher() = default;

    // Calls `changed` on the main loop whenever whatever file stands at `path` may have changed: written in
    // place, replaced by a rename, deleted or created again, or given other permissions or another owner. The
    // watch follows the name, not the file, and does not follow a symbolic link at `path` (watch its target
    // too). Main thread only.
    virtual WatchId watch(const std::string& path, std::function<void()> changed) = 0;
    // Ends a watch; an unknown id is ignored. Main thread only.
    virtual void unwatch(WatchId) = 0;
};

} // namespace quorvane
