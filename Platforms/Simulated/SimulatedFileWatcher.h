#pragma once

#include "QuorvaneApp/Platform/FileWatcher.h"
#include "QuorvaneApp/Platform/MainLoop.h"

#include <map>
#include <optional>

namespace quorvane {

class MainLoop;

// Watches real files by looking at them every few virtual milliseconds: a change of the entry at a watched
// name (contents, replacement, removal, creation) posts that watch's callback once per look.
class SimulatedFileWatcher : public FileWatcher {
public:
    // Virtual seconds between looks.
    static constexpr double interval = 0.05;

    explicit SimulatedFileWatcher(MainLoop&);
    ~SimulatedFileWatcher() override;

    // Looks at every watched name now.
    void poll();
    size_t watchCount() const { return m_watches.size(); }

    WatchId watch(const std::string& path, std::function<void()> changed) override;
    void unwatch(WatchId) override;

private:
    // What identifies the state of a directory entry.
    struct Snapshot {
        bool exists = false;
        uint64_t device = 0, inode = 0, size = 0;
        // Permissions and owner, which decide whether the file can be read.
        uint32_t mode = 0, owner = 0, group = 0;
        int64_t modified = 0, changed = 0;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };
    struct Watch {
        std::string path;
        std::function<void()> changed;
        Snapshot last;
    };

    static Snapshot look(const std::string& path);

    MainLoop& m_loop;
    std::map<WatchId, Watch> m_watches;
    WatchId m_nextWatch = 1;
    TimerId m_timer = 0;
};

} // namespace quorvane
