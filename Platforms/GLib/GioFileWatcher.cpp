#include "Platforms/GLib/GioFileWatcher.h"

#include <gio/gio.h>

namespace quorvane {

struct GioFileWatcher::Watch {
    GFileMonitor* monitor = nullptr;
    std::function<void()> changed;

    ~Watch()
    {
        if (monitor) {
            g_signal_handlers_disconnect_by_data(monitor, this);
            g_file_monitor_cancel(monitor);
            g_object_unref(monitor);
        }
    }
};

namespace {

void noticed(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer data)
{
    // Attribute changes count: a change of permissions or owner may make the file readable or unreadable.
    // (Reading a file changes its access time without telling watchers, so reading after an event causes none.)
    if (event == G_FILE_MONITOR_EVENT_PRE_UNMOUNT)
        return;
    // The callback may end this very watch; a copy keeps the function alive while it runs.
    std::function<void()> changed = static_cast<GioFileWatcher::Watch*>(data)->changed;
    changed();
}

} // namespace

GioFileWatcher::GioFileWatcher() = default;

GioFileWatcher::~GioFileWatcher()
{
    for (auto& [id, watch] : m_watches)
        delete watch;
}

WatchId GioFileWatcher::watch(const std::string& path, std::function<void()> changed)
{
    WatchId id = m_nextWatch++;
    auto* watch = new Watch;
    watch->changed = std::move(changed);
    GFile* file = g_file_new_for_path(path.c_str());
    // Moves are reported as plain changes of the name, so a rename over the file is one event.
    watch->monitor = g_file_monitor_file(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(file);
    if (watch->monitor) {
        g_file_monitor_set_rate_limit(watch->monitor, 0);
        g_signal_connect(watch->monitor, "changed", G_CALLBACK(noticed), watch);
    }
    m_watches[id] = watch;
    return id;
}

void GioFileWatcher::unwatch(WatchId id)
{
    auto found = m_watches.find(id);
    if (found == m_watches.end())
        return;
    delete found->second;
    m_watches.erase(found);
}

} // namespace quorvane
