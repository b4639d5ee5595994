// `quorvane-app` on a real X display, reached through the real `quorvane`.
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCClient.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "Support/UnicodeText.h"
#include "TestSupport/TemporaryFolder.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace quorvane {
namespace {

using test::builtProgram;
using test::ChildProcess;
using test::eventually;
using test::runTool;
using test::ToolRun;

// Whether the process runs (a zombie waiting for its parent does not).
bool running(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t state = stat.rfind(')');
    return state != std::string::npos && state + 2 < stat.size() && stat[state + 2] != 'Z';
}

bool doctorSays(const std::string& text)
{
    return runTool({ "doctor" }).output.find(text) != std::string::npos;
}

TEST(X11AppTest, WithoutADisplayTheAppExitsWithStatusThree)
{
    for (const char* display : { "DISPLAY=", "DISPLAY=:4242" }) {
        ChildProcess app({ builtProgram("app/quorvane-app") }, { display, "WAYLAND_DISPLAY=" });
        EXPECT_EQ(app.finish(10), 3) << display;
    }
}

TEST(X11AppTest, WhenTheDisplayGoesTheAppExitsWithStatusThree)
{
    auto desktop = std::make_unique<test::VirtualDesktop>();
    ChildProcess app({ builtProgram("app/quorvane-app") });
    ASSERT_TRUE(eventually([] { return runTool({ "ping" }).status == 0; }, 10));
    desktop.reset();
    EXPECT_EQ(app.finish(10), 3);
}

TEST(X11AppTest, KeepsRunningWhileTheWindowManagerGoesAndComesBack)
{
    test::VirtualDesktop desktop;
    ChildProcess app({ builtProgram("app/quorvane-app") });
    test::TestWindow window({ "--app-id", "org.example.Lonely", "--title", "Lonely", "--size", "400x300" });
    ASSERT_TRUE(eventually([] { return runTool({ "ping" }).status == 0; }, 10));
    EXPECT_TRUE(doctorSays("[pass] windows: Quorvane can move windows through Openbox."));
    EXPECT_TRUE(doctorSays("[pass] window-control: Quorvane can move windows through Openbox."));

    std::string config = test::sourceFile("Resources/VirtualDesktop/openbox-rc.xml");
    {
        // A new window manager takes over from the desktop's own, then leaves none behind.
        ChildProcess replacement({ "openbox", "--replace", "--config-file", config });
        ASSERT_TRUE(eventually([&] { return !running(desktop.windowManager()); }));
        EXPECT_TRUE(eventually([] { return doctorSays("[pass] windows"); }));
        replacement.signal(SIGTERM);
        replacement.finish();
    }
    EXPECT_TRUE(eventually([] { return doctorSays("[fail] windows: No EWMH window manager is running"); }));
    EXPECT_TRUE(doctorSays("[fail] window-control: Quorvane cannot move windows: no EWMH window manager is running."));
    // Nothing can move now, and a tile says so.
    test::ToolRun tile = runTool({ "tile", "org.example.Lonely", "top-right" });
    EXPECT_EQ(tile.status, 4);
    EXPECT_EQ(tile.output, "Quorvane cannot move windows: no EWMH window manager is running.\n");

    ChildProcess restarted({ "openbox", "--config-file", config });
    EXPECT_TRUE(eventually([] { return doctorSays("[pass] windows"); }));
    restarted.signal(SIGTERM);

    app.signal(SIGTERM);
    EXPECT_EQ(app.finish(), 0);
}

TEST(X11AppTest, ASecondAppOfTheSameLoginSaysSoAndLeavesTheFirstAlone)
{
    test::VirtualDesktop desktop;
    std::unique_ptr<ChildProcess> first = test::startApp();
    std::string socket = ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit);
    auto socketFile = [&] { return std::filesystem::status(socket).type(); };
    ASSERT_EQ(socketFile(), std::filesystem::file_type::socket);
    struct stat before { };
    ASSERT_EQ(::stat(socket.c_str(), &before), 0);

    test::ToolRun second = test::runProgram({ builtProgram("app/quorvane-app") });
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.output.find("Quorvane is already running."), std::string::npos) << second.output;
    EXPECT_NE(second.output.find(std::to_string(first->pid())), std::string::npos) << second.output;

    struct stat after { };
    ASSERT_EQ(::stat(socket.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(runTool({ "ping" }).status, 0);
    EXPECT_FALSE(doctorSays("held by another program"));
    first->signal(SIGTERM);
    EXPECT_EQ(first->finish(), 0);
}

TEST(X11AppTest, SIGPIPEIsNotFatalAndSIGHUPQuitsLikeSIGTERM)
{
    test::VirtualDesktop desktop;
    std::string socket = ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit);
    std::unique_ptr<ChildProcess> app = test::startApp();
    // What a write to a closed standard error, or to a client gone, raises.
    app->signal(SIGPIPE);
    EXPECT_FALSE(eventually([] { return runTool({ "ping" }).status != 0; }, 1));
    app->signal(SIGHUP);
    EXPECT_EQ(app->finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(socket));
}

TEST(X11AppTest, ClientsThatSendNothingHoldUpNoCommand)
{
    test::VirtualDesktop desktop;
    std::unique_ptr<ChildProcess> app = test::startApp();
    std::string socket = ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit);
    std::vector<FileDescriptor> silent;
    for (int i = 0; i < 3; ++i) {
        FileDescriptor client(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address;
        copy(socket, address);
        ASSERT_EQ(::connect(client.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        silent.push_back(std::move(client));
    }
    EXPECT_EQ(runTool({ "--timeout", "2", "ping" }).status, 0);
    test::ToolRun set = runTool({ "--timeout", "2", "hotkey", "set", "ctrl+opt+y", "org.example.Quick" });
    EXPECT_EQ(set.status, 0) << set.output;
    EXPECT_NE(runTool({ "hotkey", "list" }).output.find("ctrl+opt+y\torg.example.Quick"), std::string::npos);
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

size_t openDescriptors(pid_t pid)
{
    auto entries = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd");
    return static_cast<size_t>(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)));
}

// Resident memory of the process in kilobytes.
long residentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

// The application with immediate tiles: every request moves the window.
std::unique_ptr<ChildProcess> startImmediateApp()
{
    test::writeConfig(test::configWith({ "animate_tiles = false" }));
    // Under the address sanitizer, freed memory held back in quarantine and the allocation stacks it
    // records would look like growth: neither is kept here (outside it, the setting does nothing).
    const char* options = std::getenv("ASAN_OPTIONS");
    return test::startApp({ "ASAN_OPTIONS=" + std::string(options ? options : "")
        + ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0:malloc_context_size=0" });
}

TEST(X11AppTest, AThousandForwardedRequestsLeaveNoDescriptorOrMemoryBehind)
{
    test::VirtualDesktop desktop;
    std::unique_ptr<ChildProcess> app = startImmediateApp();
    test::TestWindow window({ "--app-id", "org.example.Busy", "--title", "Busy", "--size", "500x400" });
    std::string socket = ProcessPlaces::paths().resolvedSocketFile(QuorvanePaths::socketPathLimit);
    // Tiles that take turns, so that each one moves the window; doctor reads the window manager's
    // properties on every request.
    auto request = [&](int i) {
        std::vector<std::string> words { "tile", "org.example.Busy", i % 2 ? "left-half" : "right-half" };
        if (i % 10 == 0)
            words = { "doctor" };
        return IPCClient::request(socket, RPCRequest { std::to_string(i), words }, 5);
    };
    // Once the window is listed, the first requests and census passes open and allocate what the process
    // keeps for good.
    ASSERT_TRUE(eventually([&] { return request(1).exitCode == 0; }));
    for (int i = 1; i <= 200; ++i)
        ASSERT_EQ(request(i).exitCode, 0) << i;
    // The server closes its end of a connection just after answering, so counts settle a moment later.
    auto settledCount = [&] {
        size_t count = openDescriptors(app->pid());
        eventually([&] { return openDescriptors(app->pid()) < count; }, 0.5);
        return openDescriptors(app->pid());
    };
    size_t descriptors = settledCount();
    long resident = residentKilobytes(app->pid());
    for (int i = 1; i <= 1000; ++i)
        ASSERT_EQ(request(i).exitCode, 0) << i;
    EXPECT_TRUE(eventually([&] { return openDescriptors(app->pid()) <= descriptors; }, 2))
        << openDescriptors(app->pid()) << " > " << descriptors;
    long grown = residentKilobytes(app->pid()) - resident;
    EXPECT_LT(grown, 2048) << "resident memory grew by " << grown << " kB over a thousand requests";
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

// A window whose class is Latin-1 rather than UTF-8 is saved in a layout as UTF-8 text, so the file still reads.
TEST(X11AppTest, AWindowClassThatIsNotUTF8IsSavedAsText)
{
    test::VirtualDesktop desktop;
    std::unique_ptr<ChildProcess> app = test::startApp();
    // "éditeur,Éditeur" in Latin-1.
    std::string latin1Class = std::string("\xE9") + "diteur," + std::string("\xC9") + "diteur";
    test::TestWindow window({ "--class", latin1Class, "--title", "Editor", "--state", "maximized" });
    std::string config = ProcessPlaces::paths().configFile();
    ASSERT_TRUE(eventually([] { return runTool({ "layout", "save", "work" }).status == 0; }, 10));
    std::string text = test::readFile(config);
    EXPECT_TRUE(UnicodeText::isValidUTF8(text));
    EXPECT_NE(text.find("\n\"\u00C9diteur\" = \"fill\"\n"), std::string::npos) << text;
    ToolRun listed = runTool({ "--config", config, "layout", "list" });
    EXPECT_EQ(listed.status, 0) << listed.output;
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

// The answer to `config show` holds the file's text and its JSON, each escaped once more: for a file within the
// size limit it is longer than a request may be, and still arrives.
TEST(X11AppTest, ConfigShowOfALargeFileArrives)
{
    test::VirtualDesktop desktop;
    std::string text = test::configWith({}, "# " + std::string(1'000'000, '"') + "\n");
    test::writeConfig(text);
    std::unique_ptr<ChildProcess> app = test::startApp();
    ToolRun shown = runTool({ "config", "show" });
    EXPECT_EQ(shown.status, 0) << shown.output.substr(0, 200);
    EXPECT_TRUE(shown.output == text);
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

ToolRun setHotkey()
{
    return runTool({ "hotkey", "set", "ctrl+opt+x", "com.example.editor" });
}

bool showsGap(int gap)
{
    return runTool({ "config", "show" }).output.find("\ntile_gap = " + std::to_string(gap) + "\n") != std::string::npos;
}

// Something in config.toml's place that cannot be read, there at start-up or appearing later, never ends the
// application: it answers from the settings in force, the doctor names the file, and nothing is written over it.
TEST(X11AppTest, AConfigThatCannotBeReadNeverEndsTheApp)
{
    namespace fs = std::filesystem;
    test::VirtualDesktop desktop;
    std::string config = ProcessPlaces::paths().configFile();
    fs::create_directories(config);
    std::unique_ptr<ChildProcess> app = test::startApp();
    ToolRun refused = setHotkey();
    EXPECT_EQ(refused.status, 8);
    EXPECT_EQ(refused.output, "config.toml could not be read, so it was not saved over.\n");
    EXPECT_TRUE(doctorSays("[fail] config: Quorvane reads only regular files, and " + config + " is not one."));
    EXPECT_TRUE(fs::is_directory(config));

    fs::remove(config);
    test::writeConfig(test::configWith({ "tile_gap = 6" }));
    ASSERT_TRUE(eventually([] { return showsGap(6); }));
    fs::remove(config);
    ASSERT_EQ(::mkfifo(config.c_str(), 0644), 0);
    EXPECT_TRUE(eventually([&] { return doctorSays("is not one. The settings in force stay until it is fixed."); }));
    EXPECT_TRUE(doctorSays("[pass] windows"));
    EXPECT_EQ(setHotkey().status, 8);
    EXPECT_TRUE(showsGap(6));
    EXPECT_TRUE(fs::is_fifo(config));

    // A file whose reads fail, whoever reads it.
    fs::remove(config);
    fs::create_symlink("/proc/self/clear_refs", config);
    EXPECT_TRUE(eventually([] { return doctorSays("[fail] config: config.toml could not be read: "); }));
    EXPECT_EQ(setHotkey().output, "config.toml could not be read, so it was not saved over.\n");
    EXPECT_EQ(runTool({ "ping" }).status, 0);
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

TEST(X11AppTest, ALockFileThatCannotBeOpenedFailsOnlyChanges)
{
    namespace fs = std::filesystem;
    test::VirtualDesktop desktop;
    std::string config = ProcessPlaces::paths().configFile();
    test::writeConfig(test::configWith({ "tile_gap = 6" }));
    std::string lock = fs::path(config).parent_path() / ".config.toml.lock";
    fs::create_directory(lock);
    std::unique_ptr<ChildProcess> app = test::startApp();
    EXPECT_TRUE(showsGap(6));
    ToolRun refused = setHotkey();
    EXPECT_EQ(refused.status, 8);
    EXPECT_EQ(
        refused.output, "config.toml could not be saved, because its lock file could not be opened: Is a directory.\n");
    fs::remove(lock);
    fs::create_symlink(lock, lock);
    EXPECT_EQ(setHotkey().status, 8);
    fs::remove(lock);
    EXPECT_EQ(setHotkey().status, 0);
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

// A change of permissions alone tells the application to read the file again: here the text changed through a
// second name outside the watched folder, which tells the watch nothing, so only the change of mode does.
TEST(X11AppTest, TheWatchFollowsPermissionChanges)
{
    namespace fs = std::filesystem;
    test::VirtualDesktop desktop;
    std::string config = ProcessPlaces::paths().configFile();
    test::writeConfig(test::configWith({ "tile_gap = 6" }));
    std::unique_ptr<ChildProcess> app = test::startApp();
    std::string otherName = desktop.folder() + "/config-by-another-name.toml";
    fs::create_hard_link(config, otherName);
    test::writeFile(otherName, test::configWith({ "tile_gap = 9" }));
    EXPECT_TRUE(showsGap(6));
    fs::permissions(config, fs::perms(0600));
    EXPECT_TRUE(eventually([] { return showsGap(9); }));
    app->signal(SIGTERM);
    EXPECT_EQ(app->finish(), 0);
}

} // namespace
} // namespace quorvane
