#include "TestDesktop.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <poll.h>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace quorvane::test {

namespace fs = std::filesystem;

namespace {

// One line written by a helper program to `fd`, waiting up to ten seconds.
std::string readLine(int fd)
{
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd ready { fd, POLLIN, 0 };
        if (::poll(&ready, 1, 100) <= 0)
            continue;
        char buffer[256];
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            break;
        line.append(buffer, static_cast<size_t>(count));
    }
    if (line.find('\n') == std::string::npos)
        throw std::runtime_error("a test desktop helper did not report");
    return line.substr(0, line.find('\n'));
}

std::string fileText(const std::string& path)
{
    try {
        return readFile(path);
    } catch (const std::runtime_error&) {
        return "";
    }
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return true;
}

TestDesktop::TestDesktop()
{
    m_home = m_folder.file("home");
    for (const char* folder : { "home", "home/Downloads", "config", "data/applications", "cache", "runtime" })
        fs::create_directories(m_folder.file(folder));
    ::chmod(m_folder.file("runtime").c_str(), 0700);

    // The default handler for every address kind the host may hand out records and does nothing else.
    std::string recorder = m_folder.file("record-address");
    writeFile(recorder, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + m_folder.file("handed-out") + "'\n");
    ::chmod(recorder.c_str(), 0755);
    writeFile(dataHome() + "/applications/test-recorder.desktop",
        "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder
            + " %u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;x-scheme-handler/mailto;text/plain;\n"
              "NoDisplay=true\n");
    writeFile(m_folder.file("config/mimeapps.list"),
        "[Default Applications]\nx-scheme-handler/http=test-recorder.desktop\n"
        "x-scheme-handler/https=test-recorder.desktop\nx-scheme-handler/mailto=test-recorder.desktop\n"
        "text/plain=test-recorder.desktop\n");

    m_environment = {
        { "HOME", m_home },
        { "PATH", std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin" },
        { "XDG_CONFIG_HOME", m_folder.file("config") },
        { "XDG_DATA_HOME", dataHome() },
        { "XDG_CACHE_HOME", m_folder.file("cache") },
        { "XDG_RUNTIME_DIR", m_folder.file("runtime") },
        { "XDG_DATA_DIRS", "/usr/local/share:/usr/share" },
        // GTK and WebKit keep caches for the life of the process; the sanitizer's leak report is not ours.
        { "ASAN_OPTIONS", "detect_leaks=0" },
        { "LANG", "C.UTF-8" },
    };

    // A display number of its own, above the low ones other servers take for themselves (KWin's Xwayland among
    // them): a server on its way out may remove the socket file of its number after another server has taken
    // that number, and the sandboxed web process reaches the display only through that file.
    std::string display;
    for (int number = 200; number < 300 && display.empty(); ++number) {
        std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (std::filesystem::exists(lock))
            continue;
        auto server
            = std::make_unique<ChildProcess>(std::vector<std::string> { "Xvfb", ":" + std::to_string(number), "-screen",
                                                 "0", "1280x800x24", "-nolisten", "tcp", "-noreset" },
                m_environment, logFile("xvfb"));
        // The server holding the lock file owns the number; one that lost the race for it ends at once.
        auto serves = [&] {
            std::ifstream holder(lock);
            pid_t pid = 0;
            return holder >> pid && pid == server->pid()
                && std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number));
        };
        waitUntil([&] { return serves() || server->waitForExit(0) != -1; }, 10);
        if (serves()) {
            m_display = std::move(server);
            display = ":" + std::to_string(number);
        }
    }
    if (display.empty())
        throw std::runtime_error("no free display number");
    m_environment["DISPLAY"] = display;

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");

    m_bus = std::make_unique<ChildProcess>(std::vector<std::string> { "dbus-daemon", "--session", "--nofork",
                                               "--print-address=" + std::to_string(pipe[1]) },
        m_environment, logFile("dbus"), pipe[1]);
    m_environment["DBUS_SESSION_BUS_ADDRESS"] = readLine(pipe[0]);
    ::close(pipe[0]);
    ::close(pipe[1]);
    m_monitor = std::make_unique<ChildProcess>(
        std::vector<std::string> { "dbus-monitor", "--session" }, m_environment, m_folder.file("bus.log"));
    waitUntil([this] { return !busTraffic().empty(); }, 10);

    m_connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(m_connection))
        throw std::runtime_error("cannot reach the test display");
}

TestDesktop::~TestDesktop()
{
    if (m_connection)
        xcb_disconnect(m_connection);
    m_monitor.reset();
    m_bus.reset();
    m_display.reset();
}

void TestDesktop::click(int x, int y)
{
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, int16_t(x), int16_t(y), 0);
    xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

std::string TestDesktop::windowTitles() const
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> name(
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, 12, "_NET_WM_NAME"), nullptr), free);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> utf8(
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, 11, "UTF8_STRING"), nullptr), free);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, root), nullptr), free);
    if (!name || !utf8 || !tree)
        return "";
    std::string titles;
    xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int index = 0; index < xcb_query_tree_children_length(tree.get()); ++index) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> title(
            xcb_get_property_reply(m_connection,
                xcb_get_property(m_connection, 0, children[index], name->atom, utf8->atom, 0, 1024), nullptr),
            free);
        if (title && xcb_get_property_value_length(title.get()) > 0)
            titles += std::string(static_cast<const char*>(xcb_get_property_value(title.get())),
                          static_cast<size_t>(xcb_get_property_value_length(title.get())))
                + "\n";
    }
    return titles;
}

std::string TestDesktop::windowSizes() const
{
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, root), nullptr), free);
    if (!tree)
        return "";
    std::string sizes;
    xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int index = 0; index < xcb_query_tree_children_length(tree.get()); ++index) {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
            xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, children[index]), nullptr),
            free);
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, children[index]), nullptr), free);
        if (attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE
            && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT)
            sizes += std::to_string(geometry->width) + "x" + std::to_string(geometry->height) + "\n";
    }
    return sizes;
}

void TestDesktop::screenshot(const std::string& path) const
{
    ChildProcess shot({ "import", "-window", "root", path }, m_environment);
    shot.waitForExit(20);
}

QuorvanePaths TestDesktop::paths() const
{
    return QuorvanePaths::fromEnvironment(m_home, [this](std::string_view name) -> std::optional<std::string> {
        auto variable = m_environment.find(std::string(name));
        return variable != m_environment.end() ? std::optional(variable->second) : std::nullopt;
    });
}

std::string TestDesktop::handedOut() const
{
    return fileText(m_folder.file("handed-out"));
}

std::string TestDesktop::busTraffic() const
{
    return fileText(m_folder.file("bus.log"));
}

} // namespace quorvane::test
