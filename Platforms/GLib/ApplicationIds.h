#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {

// Names a window's application the way the Linux desktop does: by its desktop-file id without ".desktop"
// ("org.gnome.Terminal", "xterm"). Answers are kept per process and window class. Main thread only.
class ApplicationIds {
public:
    // The id of a window of process `pid` (0 when unknown) whose WM_CLASS is `instance` and `className`,
    // when the window names no desktop file itself: the desktop file the process was launched from, else a
    // desktop file whose StartupWMClass is the class or instance, else one whose id is the instance or
    // class ignoring case, else the class itself.
    const std::string& resolve(int32_t pid, const std::string& instance, const std::string& className);

    // A desktop-file name as an application declares it (with or without ".desktop") as an id.
    static std::string idOfDesktopFile(const std::string& name);

private:
    struct DesktopEntry {
        std::string id;
        std::string startupWMClass;
    };

    std::optional<std::string> launchedFrom(int32_t pid);
    const std::vector<DesktopEntry>& entries();

    std::map<std::pair<int32_t, std::string>, std::string> m_cache;
    std::optional<std::vector<DesktopEntry>> m_entries;
};

} // namespace quorvane
