#include "QuorvaneApp/Config/ConfigWatch.h"

#include "Support/AtomicFile.h"

#include <utility>

namespace quorvane {

ConfigWatch::ConfigWatch(FileWatcher& watcher, std::string path, std::function<void()> changed)
    : m_watcher(watcher)
    , m_path(std::move(path))
    , m_changed(std::move(changed))
{
    m_pathWatch = m_watcher.watch(m_path, [this] { noticed(); });
    follow();
}

ConfigWatch::~ConfigWatch()
{
    m_watcher.unwatch(m_pathWatch);
    m_watcher.unwatch(m_targetWatch);
}

void ConfigWatch::follow()
{
    std::string target = AtomicFile::resolvedDestination(m_path);
    if (target == m_target)
        return;
    m_watcher.unwatch(std::exchange(m_targetWatch, 0));
    m_target = target;
    if (m_target != m_path)
        m_targetWatch = m_watcher.watch(m_target, [this] { noticed(); });
}

void ConfigWatch::noticed()
{
    // The link may have been pointed elsewhere; the change itself is judged by the text read next.
    follow();
    m_changed();
}

} // namespace quorvane
