#pragma once

#include "QuorvaneApp/Platform/FileWatcher.h"

#include <map>

namespace quorvane {

// File watches through GIO's file monitors, which follow a name through in-place writes, renames over it and
// deletion and re-creation. Events arrive on the thread-default main context of the creating thread.
class GioFileWatcher : public FileWatcher {
public:
    GioFileWatcher();
    ~GioFileWatcher() override;
    GioFileWatcher(const GioFileWatcher&) = delete;
    GioFileWatcher& operator=(const GioFileWatcher&) = delete;

    WatchId watch(const std::string& path, std::function<void()> changed) override;
    void unwatch(WatchId) override;

    struct Watch;

private:
    std::map<WatchId, Watch*> m_watches;
    WatchId m_nextWatch = 1;
};

} // namespace quorvane
