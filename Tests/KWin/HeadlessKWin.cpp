#include "KWin/HeadlessKWin.h"

#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/KWin/KWinDesktop.h"
#include "Platforms/KWin/KWinShortcuts.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "TestSupport/TemporaryFolder.h"

#include <gio/gio.h>
#include <glib.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace quorvane::test {

HeadlessKWin::HeadlessKWin()
{
    ChildProcess start({ sourceFile("scripts/kwin-desktop.sh"), "start" }, {}, true);
    std::string last;
    while (std::optional<std::string> line = start.readLine(40))
        last = *line;
    int status = start.finish(40);
    if (status == 77) {
        m_skipReason = last;
        return;
    }
    if (status != 0 || last.empty())
        throw std::runtime_error("the KWin desktop did not start: " + last);
    m_environmentFile = last;
    std::istringstream lines(readFile(m_environmentFile));
    for (std::string line; std::getline(lines, line);) {
        bool exported = line.starts_with("export ");
        if (exported)
            line.erase(0, 7);
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string name = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
            value = value.substr(1, value.size() - 2);
        if (exported)
            ::setenv(name.c_str(), value.c_str(), 1);
        else if (name == "QUORVANE_KWIN_PID")
            m_kwin = static_cast<pid_t>(std::stol(value));
    }
}

HeadlessKWin::~HeadlessKWin()
{
    stop();
}

void HeadlessKWin::stop()
{
    if (m_environmentFile.empty())
        return;
    ChildProcess stop({ sourceFile("scripts/kwin-desktop.sh"), "stop", m_environmentFile });
    stop.finish(30);
    m_environmentFile.clear();
}

WaylandWindow::WaylandWindow(const std::string& applicationId, const std::string& title, const std::string& size)
    : process({ builtProgram("Tests/GTKTestWindow/quorvane-gtk-test-window"), "--app-id", applicationId, "--title",
                  title, "--size", size },
        { "GDK_BACKEND=wayland", "NO_AT_BRIDGE=1" })
{
    if (process.readLine(20) != "shown")
        throw std::runtime_error("the Wayland window " + title + " did not show");
}

KWinReader::KWinReader()
    : m_loop(std::make_unique<GLibMainLoop>())
    , m_desktop(std::make_unique<KWinDesktop>(*m_loop, std::string(std::getenv("XDG_CACHE_HOME")), "quorvane-test"))
{
}

KWinReader::~KWinReader() = default;

void KWinReader::turn()
{
    while (g_main_context_iteration(nullptr, FALSE)) { }
}

std::vector<WindowFacts> KWinReader::windows()
{
    turn();
    return m_desktop->windowSystem().windows();
}

std::optional<WindowFacts> KWinReader::windowOf(const std::string& applicationIdOrTitle)
{
    for (WindowFacts& window : windows()) {
        if (window.bundleIdentifier == applicationIdOrTitle || window.title == applicationIdOrTitle)
            return window;
    }
    return std::nullopt;
}

bool invokeShortcut(const std::string& sequence)
{
    return invokeShortcutNamed(KWinShortcuts::shortcutName(sequence));
}

bool invokeShortcutNamed(const std::string& name)
{
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return false;
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(bus, "org.kde.kglobalaccel", "/component/kwin",
        "org.kde.kglobalaccel.Component", "invokeShortcut", g_variant_new("(s)", name.c_str()), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    return reply != nullptr;
}

bool shortcutListed(const std::string& name)
{
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return false;
    g_autoptr(GVariant) reply
        = g_dbus_connection_call_sync(bus, "org.kde.kglobalaccel", "/component/kwin", "org.kde.kglobalaccel.Component",
            "shortcutNames", nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (!reply)
        return false;
    g_autofree const char** names = nullptr;
    g_variant_get(reply, "(^a&s)", &names);
    for (const char** each = names; each && *each; ++each)
        if (name == *each)
            return true;
    return false;
}

bool kwinScriptLoaded(const std::string& name)
{
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return false;
    g_autoptr(GVariant) reply
        = g_dbus_connection_call_sync(bus, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "isScriptLoaded",
            g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    gboolean loaded = FALSE;
    if (reply)
        g_variant_get(reply, "(b)", &loaded);
    return loaded;
}

namespace {

// Runs the fake-input helper with `options`; false when it failed.
bool fakeInput(const std::vector<std::string>& options)
{
    std::vector<std::string> arguments { QUORVANE_BINARY_DIR "/Tests/WaylandFakeKeys/quorvane-fake-keys" };
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int status = -1;
    if (!g_spawn_sync(
            nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, nullptr, &status, nullptr))
        return false;
    return g_spawn_check_wait_status(status, nullptr);
}

} // namespace

bool typeKeys(const std::vector<uint32_t>& evdevCodes)
{
    std::vector<std::string> codes;
    for (uint32_t code : evdevCodes)
        codes.push_back(std::to_string(code));
    return fakeInput(codes);
}

bool clickAt(double x, double y)
{
    return fakeInput({ "--click", std::to_string(x), std::to_string(y) });
}

} // namespace quorvane::test
