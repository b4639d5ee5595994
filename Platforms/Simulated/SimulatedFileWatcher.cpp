#include "Platforms/Simulated/SimulatedFileWatcher.h"

#include "Platforms/Simulated/SimulatedMainLoop.h"

#include <sys/stat.h>
#include <utility>

namespace quorvane {

SimulatedFileWatcher::SimulatedFileWatcher(MainLoop& loop)
    : m_loop(loop)
{
}

SimulatedFileWatcher::~SimulatedFileWatcher()
{
    if (m_timer)
        m_loop.cancelTimer(m_timer);
}

SimulatedFileWatcher::Snapshot SimulatedFileWatcher::look(const std::string& path)
{
    struct stat status { };
    if (::lstat(path.c_str(), &status) != 0)
        return {};
    return Snapshot { true, static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
        static_cast<uint64_t>(status.st_size), static_cast<uint32_t>(status.st_mode),
        static_cast<uint32_t>(status.st_uid), static_cast<uint32_t>(status.st_gid),
        static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
        static_cast<int64_t>(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec };
}

void SimulatedFileWatcher::poll()
{
    std::vector<WatchId> changed;
    for (auto& [id, watch] : m_watches) {
        Snapshot now = look(watch.path);
        if (now != watch.last) {
            watch.last = now;
            changed.push_back(id);
        }
    }
    // Callbacks may end watches, their own included, so each is looked up when it runs.
    for (WatchId id : changed) {
        m_loop.post([this, id] {
            auto found = m_watches.find(id);
            if (found != m_watches.end()) {
                std::function<void()> callback = found->second.changed;
                callback();
            }
        });
    }
}

WatchId SimulatedFileWatcher::watch(const std::string& path, std::function<void()> changed)
{
    WatchId id = m_nextWatch++;
    m_watches.emplace(id, Watch { path, std::move(changed), look(path) });
    if (!m_timer)
        m_timer = m_loop.addTimer(interval, true, [this] { poll(); });
    return id;
}

void SimulatedFileWatcher::unwatch(WatchId id)
{
    m_watches.erase(id);
    if (m_watches.empty() && m_timer)
        m_loop.cancelTimer(std::exchange(m_timer, 0));
}

} // namespace quorvane
