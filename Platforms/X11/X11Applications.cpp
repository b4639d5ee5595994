#include "Platforms/X11/X11Applications.h"

#include "Platforms/X11/X11Connection.h"
#include "Platforms/X11/X11WindowSystem.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <unistd.h>

namespace quorvane {

namespace {

// ICCCM's request to iconify a window.
constexpr uint32_t iconicState = 3;

} // namespace

X11Applications::X11Applications(X11Connection& connection, X11WindowSystem& windows)
    : m_connection(connection)
    , m_windows(windows)
{
}

std::vector<RunningApplication> X11Applications::running()
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

std::optional<RunningApplication> X11Applications::frontmost()
{
    std::optional<WindowFacts> focused = m_windows.focusedWindow();
    if (!focused)
        return std::nullopt;
    return RunningApplication { focused->bundleIdentifier, focused->pid, focused->bundleIdentifier, true, false };
}

void X11Applications::activate(int32_t pid)
{
    for (const WindowFacts& window : m_windows.windows()) {
        if (window.pid == pid && !window.minimized) {
            m_windows.raise(window.handle);
            return;
        }
    }
}

void X11Applications::hide(int32_t pid)
{
    for (const WindowFacts& window : m_windows.windows())
        if (window.pid == pid && !window.ownWindow)
            m_connection.sendRootMessage(
                static_cast<xcb_window_t>(window.handle.value), m_connection.wmChangeState(), { iconicState });
    m_connection.flush();
}

std::optional<std::string> X11Applications::locate(const std::string& bundleIdentifier)
{
    GDesktopAppInfo* info = g_desktop_app_info_new((bundleIdentifier + ".desktop").c_str());
    if (!info)
        return std::nullopt;
    std::optional<std::string> path;
    if (const char* file = g_desktop_app_info_get_filename(info))
        path = file;
    g_object_unref(info);
    return path;
}

bool X11Applications::open(const std::string& location)
{
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(location.c_str());
    if (!info)
        return false;
    GError* error = nullptr;
    bool launched = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
    if (error)
        g_error_free(error);
    g_object_unref(info);
    return launched;
}

void X11Applications::setQuitHandler(std::function<void(const RunningApplication&)> handler)
{
    m_quitHandler = std::move(handler);
}

int32_t X11Applications::ownPid()
{
    return static_cast<int32_t>(::getpid());
}

} // namespace quorvane
