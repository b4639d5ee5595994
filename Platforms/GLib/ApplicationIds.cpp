#include "Platforms/GLib/ApplicationIds.h"

#include "Support/FileContents.h"
#include "Support/UnicodeText.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

constexpr std::string_view launchedFileVariable = "GIO_LAUNCHED_DESKTOP_FILE=";
constexpr std::string_view launchedPidVariable = "GIO_LAUNCHED_DESKTOP_FILE_PID=";

} // namespace

std::string ApplicationIds::idOfDesktopFile(const std::string& name)
{
    std::string id = name.substr(name.rfind('/') + 1);
    constexpr std::string_view suffix = ".desktop";
    if (id.size() > suffix.size() && id.ends_with(suffix))
        id.resize(id.size() - suffix.size());
    return id;
}

const std::string& ApplicationIds::resolve(int32_t pid, const std::string& instance, const std::string& className)
{
    auto key = std::make_pair(pid, className + '\n' + instance);
    if (auto found = m_cache.find(key); found != m_cache.end())
        return found->second;

    std::string id;
    if (std::optional<std::string> launched = launchedFrom(pid))
        id = *launched;
    if (id.empty()) {
        for (const DesktopEntry& entry : entries()) {
            if (!entry.startupWMClass.empty()
                && (entry.startupWMClass == className || entry.startupWMClass == instance)) {
                id = entry.id;
                break;
            }
        }
    }
    if (id.empty()) {
        for (const std::string& name : { instance, className }) {
            if (name.empty())
                continue;
            for (const DesktopEntry& entry : entries()) {
                if (UnicodeText::equalsIgnoringCase(entry.id, name)) {
                    id = entry.id;
                    break;
                }
            }
            if (!id.empty())
                break;
        }
    }
    if (id.empty())
        id = className;
    return m_cache.emplace(key, id).first->second;
}

std::optional<std::string> ApplicationIds::launchedFrom(int32_t pid)
{
    if (pid <= 0)
        return std::nullopt;
    std::string folder = "/proc/" + std::to_string(pid);
    struct stat status { };
    // Only a process of the same user tells us how it was launched.
    if (::stat(folder.c_str(), &status) != 0 || status.st_uid != ::getuid())
        return std::nullopt;
    // Nothing when the process has gone or hides its environment.
    std::optional<std::string> environment = FileContents::readIfReadable(folder + "/environ");
    if (!environment)
        return std::nullopt;
    // The launcher names the desktop file and the pid it launched; a child of that process inherits both,
    // and is not that application.
    std::optional<std::string> file;
    std::optional<std::string> launchedPid;
    std::string_view rest = *environment;
    while (!rest.empty()) {
        size_t end = rest.find('\0');
        std::string_view variable = rest.substr(0, end);
        if (variable.starts_with(launchedFileVariable))
            file = std::string(variable.substr(launchedFileVariable.size()));
        else if (variable.starts_with(launchedPidVariable))
            launchedPid = std::string(variable.substr(launchedPidVariable.size()));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    if (!file || file->empty() || (launchedPid && *launchedPid != std::to_string(pid)))
        return std::nullopt;
    // A file name is bytes; the id becomes text of commands and the config file.
    return UnicodeText::utf8OrLatin1(idOfDesktopFile(*file));
}

const std::vector<ApplicationIds::DesktopEntry>& ApplicationIds::entries()
{
    if (m_entries)
        return *m_entries;
    m_entries.emplace();
    g_autolist(GAppInfo) all = g_app_info_get_all();
    for (GList* item = all; item; item = item->next) {
        auto* info = static_cast<GAppInfo*>(item->data);
        const char* id = g_app_info_get_id(info);
        if (!id || !G_IS_DESKTOP_APP_INFO(info))
            continue;
        const char* wmClass = g_desktop_app_info_get_startup_wm_class(G_DESKTOP_APP_INFO(info));
        m_entries->push_back(
            { UnicodeText::utf8OrLatin1(idOfDesktopFile(id)), UnicodeText::utf8OrLatin1(wmClass ? wmClass : "") });
    }
    return *m_entries;
}

} // namespace quorvane
