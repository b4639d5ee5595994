#include "Platforms/KWin/KWinSnapshot.h"

#include <algorithm>
#include <set>

namespace quorvane {

KWinSnapshot::KWinSnapshot(int32_t ownPid)
    : m_ownPid(ownPid)
{
}

std::string KWinSnapshot::windowId(const std::string& kwinId)
{
    std::string bare = kwinId;
    if (bare.size() >= 2 && bare.front() == '{' && bare.back() == '}')
        bare = bare.substr(1, bare.size() - 2);
    return "kwin:" + bare;
}

bool KWinSnapshot::differsForCensus(const Entry& before, const Entry& after)
{
    const KWinWindowReport& a = before.report;
    const KWinWindowReport& b = after.report;
    return a.caption.empty() != b.caption.empty() || a.kind != b.kind || a.minimized != b.minimized
        || a.fullScreen != b.fullScreen || a.shown != b.shown || a.pid != b.pid
        || before.application != after.application;
}

bool KWinSnapshot::apply(const KWinReport& report, const ApplicationOf& applicationOf)
{
    // The application ids are worked out before the lock: finding one may read desktop files.
    std::vector<std::string> applications;
    applications.reserve(report.windows.size());
    for (const KWinWindowReport& window : report.windows)
        applications.push_back(applicationOf(window));

    std::lock_guard lock(m_mutex);
    bool changed = false;
    if (report.all) {
        std::set<std::string> listed;
        for (const KWinWindowReport& window : report.windows)
            listed.insert(window.id);
        for (auto entry = m_windows.begin(); entry != m_windows.end();) {
            if (listed.contains(entry->first)) {
                ++entry;
                continue;
            }
            m_ids.erase(entry->second.handle);
            entry = m_windows.erase(entry);
            changed = true;
        }
        changed = changed || !m_complete;
        m_complete = true;
    }
    for (size_t index = 0; index < report.windows.size(); ++index) {
        const KWinWindowReport& window = report.windows[index];
        auto found = m_windows.find(window.id);
        if (found == m_windows.end()) {
            WindowHandle handle { m_nextHandle++ };
            m_windows.emplace(window.id, Entry { window, applications[index], handle });
            m_ids.emplace(handle, window.id);
            changed = true;
            continue;
        }
        Entry updated { window, applications[index], found->second.handle };
        changed = changed || differsForCensus(found->second, updated);
        found->second = std::move(updated);
    }
    for (const std::string& id : report.removed) {
        auto found = m_windows.find(id);
        if (found == m_windows.end())
            continue;
        m_ids.erase(found->second.handle);
        m_windows.erase(found);
        changed = true;
    }
    if (report.active)
        m_active = *report.active;
    if (report.screens) {
        changed = changed || *report.screens != m_screens;
        m_screens = *report.screens;
    }
    return changed;
}

bool KWinSnapshot::complete() const
{
    std::lock_guard lock(m_mutex);
    return m_complete;
}

WindowFacts KWinSnapshot::factsOf(const Entry& entry) const
{
    const KWinWindowReport& report = entry.report;
    WindowFacts facts;
    facts.handle = entry.handle;
    facts.id = windowId(report.id);
    facts.pid = report.pid;
    facts.bundleIdentifier = entry.application;
    facts.title = report.caption;
    facts.frame = report.frame;
    facts.kind = report.kind;
    facts.minimized = report.minimized;
    facts.fullScreen = report.fullScreen;
    facts.ownWindow = report.pid == m_ownPid;
    // A program may show its window first and name it a moment later.
    facts.ready = !report.caption.empty();
    return facts;
}

std::vector<WindowFacts> KWinSnapshot::windows() const
{
    std::lock_guard lock(m_mutex);
    std::vector<const Entry*> shown;
    for (const auto& [id, entry] : m_windows) {
        if (entry.report.shown)
            shown.push_back(&entry);
    }
    std::stable_sort(shown.begin(), shown.end(),
        [](const Entry* a, const Entry* b) { return a->report.stacking > b->report.stacking; });
    std::vector<WindowFacts> result;
    result.reserve(shown.size());
    for (const Entry* entry : shown)
        result.push_back(factsOf(*entry));
    return result;
}

std::optional<WindowFacts> KWinSnapshot::active() const
{
    std::lock_guard lock(m_mutex);
    auto found = m_windows.find(m_active);
    if (found == m_windows.end() || !found->second.report.shown)
        return std::nullopt;
    return factsOf(found->second);
}

std::vector<DisplayFacts> KWinSnapshot::displays() const
{
    std::lock_guard lock(m_mutex);
    std::vector<DisplayFacts> displays;
    for (size_t index = 0; index < m_screens.size(); ++index) {
        const KWinScreenReport& screen = m_screens[index];
        std::string name = screen.name;
        if (name.empty())
            name = index < m_screenNames.size() ? m_screenNames[index] : "Screen " + std::to_string(index + 1);
        displays.push_back({ name, screen.frame, screen.area, index == 0 });
    }
    return displays;
}

std::optional<Frame> KWinSnapshot::frame(WindowHandle handle) const
{
    std::lock_guard lock(m_mutex);
    auto id = m_ids.find(handle);
    if (id == m_ids.end())
        return std::nullopt;
    return m_windows.at(id->second).report.frame;
}

std::optional<std::string> KWinSnapshot::kwinId(WindowHandle handle) const
{
    std::lock_guard lock(m_mutex);
    auto id = m_ids.find(handle);
    return id == m_ids.end() ? std::nullopt : std::optional<std::string>(id->second);
}

void KWinSnapshot::setScreenNames(std::vector<std::string> names)
{
    std::lock_guard lock(m_mutex);
    m_screenNames = std::move(names);
}

} // namespace quorvane
