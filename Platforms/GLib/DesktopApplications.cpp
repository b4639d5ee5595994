#include "Platforms/GLib/DesktopApplications.h"

#include "Agents/LinuxTerminal.h"
#include "Platforms/GLib/ApplicationIds.h"
#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "Support/FileContents.h"
#include "Support/UnicodeText.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace quorvane {

namespace {

// Whether the process has ended (a zombie waiting for its parent has).
bool processGone(int32_t pid)
{
    if (pid <= 0)
        return false;
    if (::kill(pid, 0) != 0)
        return errno == ESRCH;
    std::string stat = FileContents::readIfReadable("/proc/" + std::to_string(pid) + "/stat").value_or("");
    size_t state = stat.rfind(')');
    return state != std::string::npos && state + 2 < stat.size() && stat[state + 2] == 'Z';
}

// Starts `argv` (its first word looked up on PATH) with our environment and the launch context's, not
// awaited. With a desktop entry the program also learns its desktop file and, where the context gives one,
// its startup notification id.
bool spawn(const std::vector<std::string>& argv, GDesktopAppInfo* info)
{
    g_autoptr(GAppLaunchContext) launch = g_app_launch_context_new();
    std::vector<char*> words;
    for (const std::string& word : argv)
        words.push_back(const_cast<char*>(word.c_str()));
    words.push_back(nullptr);

    g_auto(GStrv) environment = g_get_environ();
    g_auto(GStrv) added = g_app_launch_context_get_environment(launch);
    for (char** entry = added; entry && *entry; ++entry) {
        std::string assignment = *entry;
        size_t equals = assignment.find('=');
        if (equals != std::string::npos)
            environment = g_environ_setenv(
                environment, assignment.substr(0, equals).c_str(), assignment.c_str() + equals + 1, true);
    }
    g_autofree char* startupId = nullptr;
    if (info) {
        if (const char* file = g_desktop_app_info_get_filename(info))
            environment = g_environ_setenv(environment, "GIO_LAUNCHED_DESKTOP_FILE", file, true);
        startupId = g_app_launch_context_get_startup_notify_id(launch, G_APP_INFO(info), nullptr);
        if (startupId)
            environment = g_environ_setenv(environment, "DESKTOP_STARTUP_ID", startupId, true);
    }

    g_autoptr(GError) error = nullptr;
    bool started
        = g_spawn_async(nullptr, words.data(), environment, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error);
    if (!started && startupId)
        g_app_launch_context_launch_failed(launch, startupId);
    return started;
}

bool onPath(const std::string& program)
{
    g_autofree char* found = g_find_program_in_path(program.c_str());
    return found != nullptr;
}

bool isExecutableFile(const std::string& location)
{
    std::error_code error;
    return std::filesystem::is_regular_file(location, error) && ::access(location.c_str(), X_OK) == 0;
}

} // namespace

DesktopApplications::DesktopApplications(
    WindowSystem& windows, MainLoop& mainLoop, std::function<void(WindowHandle)> minimize)
    : m_windows(windows)
    , m_mainLoop(mainLoop)
    , m_minimize(std::move(minimize))
{
}

DesktopApplications::~DesktopApplications()
{
    if (m_quitTimer)
        m_mainLoop.cancelTimer(m_quitTimer);
}

std::vector<RunningApplication> DesktopApplications::running()
{
    std::vector<RunningApplication> applications;
    for (const WindowFacts& window : m_windows.windows()) {
        bool known = false;
        for (const RunningApplication& application : applications)
            known = known || (application.pid == window.pid && application.bundleIdentifier == window.bundleIdentifier);
        if (!known)
            applications.push_back({ window.bundleIdentifier, window.pid, window.bundleIdentifier, true, false });
    }
    return applications;
}

std::optional<RunningApplication> DesktopApplications::frontmost()
{
    std::optional<WindowFacts> focused = m_windows.focusedWindow();
    if (!focused)
        return std::nullopt;
    return RunningApplication { focused->bundleIdentifier, focused->pid, focused->bundleIdentifier, true, false };
}

void DesktopApplications::activate(int32_t pid)
{
    // The top-most window that shows, else the top-most minimised one, which the request brings back.
    std::optional<WindowHandle> chosen;
    for (const WindowFacts& window : m_windows.windows()) {
        if (window.pid != pid || window.ownWindow)
            continue;
        if (!window.minimized) {
            chosen = window.handle;
            break;
        }
        if (!chosen)
            chosen = window.handle;
    }
    if (chosen)
        m_windows.raise(*chosen);
}

void DesktopApplications::hide(int32_t pid)
{
    for (const WindowFacts& window : m_windows.windows())
        if (window.pid == pid && !window.ownWindow)
            m_minimize(window.handle);
}

std::vector<InstalledApplication> DesktopApplications::installed()
{
    std::vector<InstalledApplication> found;
    g_autolist(GAppInfo) all = g_app_info_get_all();
    for (GList* item = all; item; item = item->next) {
        auto* info = static_cast<GAppInfo*>(item->data);
        const char* id = g_app_info_get_id(info);
        if (!id || !g_app_info_should_show(info))
            continue;
        const char* name = g_app_info_get_display_name(info);
        found.push_back({ UnicodeText::utf8OrLatin1(ApplicationIds::idOfDesktopFile(id)),
            UnicodeText::utf8OrLatin1(name ? name : id) });
    }
    return found;
}

std::optional<std::string> DesktopApplications::locate(const std::string& bundleIdentifier)
{
    g_autoptr(GDesktopAppInfo) info = g_desktop_app_info_new((bundleIdentifier + ".desktop").c_str());
    const char* file = info ? g_desktop_app_info_get_filename(info) : nullptr;
    return file ? std::optional<std::string>(file) : std::nullopt;
}

bool DesktopApplications::open(const std::string& location)
{
    // A web app's host, started directly when its desktop entry is missing.
    if (!location.ends_with(".desktop"))
        return isExecutableFile(location) && spawn({ location }, nullptr);
    g_autoptr(GDesktopAppInfo) info = g_desktop_app_info_new_from_filename(location.c_str());
    if (!info)
        return false;
    // A launch context gives the program its display and startup notification, and the launched process
    // learns its desktop file (GIO_LAUNCHED_DESKTOP_FILE), by which its windows are known.
    g_autoptr(GAppLaunchContext) launch = g_app_launch_context_new();
    g_autoptr(GError) error = nullptr;
    return g_app_info_launch(G_APP_INFO(info), nullptr, launch, &error);
}

bool DesktopApplications::openInTerminal(const std::string& script, const std::optional<std::string>& terminalLocation)
{
    g_autoptr(GDesktopAppInfo) info
        = terminalLocation ? g_desktop_app_info_new_from_filename(terminalLocation->c_str()) : nullptr;
    std::function<bool(const std::string&)> installed;
    if (info) {
        // An entry whose program has gone counts as not installed.
        installed = [](const std::string& identifier) {
            for (const LinuxTerminal& terminal : linuxTerminals())
                if (terminal.desktopIdentifier == identifier)
                    return onPath(terminal.runWords.front());
            return false;
        };
    }
    std::vector<std::string> argv
        = terminalCommand(info ? ApplicationIds::idOfDesktopFile(*terminalLocation) : std::string(), script, installed);
    return spawn(argv, argv.front() == "x-terminal-emulator" ? nullptr : info);
}

bool DesktopApplications::openURL(const std::string& url)
{
    g_autoptr(GAppLaunchContext) launch = g_app_launch_context_new();
    g_autoptr(GError) error = nullptr;
    return g_app_info_launch_default_for_uri(url.c_str(), launch, &error);
}

void DesktopApplications::setQuitHandler(std::function<void(const RunningApplication&)> handler)
{
    m_quitHandler = std::move(handler);
    if (m_quitHandler && !m_quitTimer) {
        lookForQuits();
        m_quitTimer = m_mainLoop.addTimer(1.0, true, [this] { lookForQuits(); });
    } else if (!m_quitHandler && m_quitTimer) {
        m_mainLoop.cancelTimer(m_quitTimer);
        m_quitTimer = 0;
        m_seen.clear();
        m_leaving.clear();
    }
}

void DesktopApplications::lookForQuits()
{
    std::set<std::pair<std::string, int32_t>> now;
    for (const RunningApplication& application : running())
        now.insert({ application.bundleIdentifier, application.pid });
    for (const auto& owner : m_seen)
        if (!now.contains(owner))
            m_leaving.insert(owner);
    m_seen = std::move(now);
    for (auto owner = m_leaving.begin(); owner != m_leaving.end();) {
        if (m_seen.contains(*owner)) {
            owner = m_leaving.erase(owner);
        } else if (processGone(owner->second)) {
            RunningApplication quit { owner->first, owner->second, owner->first, true, false };
            // A copy runs: the handler may replace itself.
            m_mainLoop.post([this, quit] {
                if (auto handler = m_quitHandler)
                    handler(quit);
            });
            owner = m_leaving.erase(owner);
        } else {
            ++owner;
        }
    }
}

int32_t DesktopApplications::ownPid()
{
    return static_cast<int32_t>(::getpid());
}

} // namespace quorvane
