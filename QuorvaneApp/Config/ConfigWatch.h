#pragma once

#include "QuorvaneApp/Platform/FileWatcher.h"

#include <functional>
#include <string>

namespace quorvane {

// Follows the config file through the ways editors and tools save it: in place, by renaming a new file over
// it, by deleting and re-creating it, and through a symbolic link, whose target is watched as well and
// looked up again on every event.
class ConfigWatch {
public:
    ConfigWatch(FileWatcher&, std::string path, std::function<void()> changed);
    ~ConfigWatch();
    ConfigWatch(const ConfigWatch&) = delete;
    ConfigWatch& operator=(const ConfigWatch&) = delete;

    // The file the link at the path leads to, or the path itself; empty before the first event.
    const std::string& target() const { return m_target; }

private:
    void follow();
    void noticed();

    FileWatcher& m_watcher;
    std::string m_path;
    std::function<void()> m_changed;
    WatchId m_pathWatch = 0;
    WatchId m_targetWatch = 0;
    std::string m_target;
};

} // namespace quorvane
