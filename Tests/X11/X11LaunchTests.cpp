// Programs that `quorvane-app` starts on the virtual desktop: the agent's terminal, hosts without a desktop
// entry and web apps reached by their hotkey.
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "TestSupport/LocalHTTPServer.h"
#include "TestSupport/TemporaryFolder.h"
#include "Tiling/TileGeometry.h"
#include "Tiling/TileSlot.h"
#include "WebApps/DesktopIdentifier.h"
#include "WebApps/WebAppBundlePlan.h"
#include "X11/TestKeyboard.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::builtProgram;
using test::ChildProcess;
using test::eventually;

// X key codes of A and M on the virtual desktop's keyboard (evdev, us).
constexpr uint8_t keyA = 38, keyM = 58;

bool fileHolds(const std::string& path, const std::string& text)
{
    std::error_code error;
    return fs::exists(path, error) && test::readFile(path) == text;
}

// `quorvane-app` on a fresh virtual desktop; `prepare` runs on the desktop before the app starts (and
// writes its configuration).
class RunningApp {
public:
    explicit RunningApp(const std::function<void(const test::VirtualDesktop&)>& prepare)
    {
        prepare(m_desktop);
        m_app = test::startApp();
    }
    ~RunningApp()
    {
        m_app->signal(SIGTERM);
        m_app->finish();
    }

private:
    test::VirtualDesktop m_desktop;
    std::unique_ptr<ChildProcess> m_app;
};

void writeExecutable(const std::string& path, const std::string& text)
{
    fs::create_directories(fs::path(path).parent_path());
    test::writeFile(path, text);
    fs::permissions(path, fs::perms(0755));
}

TEST(X11LaunchTest, TheAgentChordRunsTheCommandInTheConfiguredTerminal)
{
    // A stand-in for kitty that logs how it was asked to run the script, then runs it.
    auto fakeKitty = [](const test::VirtualDesktop& desktop) {
        test::installDesktopEntry("kitty", "kitty");
        writeExecutable(
            desktop.folder() + "/bin/kitty", "#!/bin/sh\necho \"kitty $*\" > \"$HOME/kitty.log\"\nexec \"$@\"\n");
    };
    auto entryOnly = [](const test::VirtualDesktop&) { test::installDesktopEntry("kitty", "kitty"); };
    struct Case {
        std::string terminal;
        std::function<void(const test::VirtualDesktop&)> prepare;
        // Whether the stand-in ran the script.
        bool ranKitty;
    };
    const Case cases[] = {
        { "debian-xterm", {}, false },
        { "kitty", fakeKitty, true },
        // The entry is there but its program is not: the default terminal runs the script.
        { "kitty", entryOnly, false },
        // Not installed here at all.
        { "com.apple.Terminal", {}, false },
    };
    const std::string path = std::getenv("PATH");
    for (const Case& c : cases) {
        std::string out = fs::temp_directory_path() / ("quorvane-agent-" + std::to_string(::getpid()));
        fs::remove(out);
        const std::string command
            = "[\"/bin/sh\", \"-c\", \"pwd > '" + out + ".part' && mv '" + out + ".part' '" + out + "'\"]";
        std::string folder;
        RunningApp app([&](const test::VirtualDesktop& desktop) {
            test::writeConfig(
                test::configWith({ "agent_command = " + command, "terminal_bundle_id = \"" + c.terminal + "\"" }));
            folder = desktop.folder();
            ::setenv("PATH", (folder + "/bin:" + path).c_str(), 1);
            if (c.prepare)
                c.prepare(desktop);
        });
        test::Keyboard keyboard;
        keyboard.chord({ test::keyControl, test::keyAlt, keyA });
        // The script enters the configuration folder before it runs the command.
        std::string expected = ProcessPlaces::paths().configDirectory() + "\n";
        EXPECT_TRUE(eventually([&] { return fileHolds(out, expected); }, 15))
            << c.terminal << ": " << (fs::exists(out) ? test::readFile(out) : "no output");
        std::string kittyLog = folder + "/home/kitty.log";
        if (c.ranKitty)
            EXPECT_TRUE(fileHolds(kittyLog, "kitty " + ProcessPlaces::paths().commandFile() + "\n")) << c.terminal;
        else
            EXPECT_FALSE(fs::exists(kittyLog)) << c.terminal;
        fs::remove(out);
        ::setenv("PATH", path.c_str(), 1);
    }
}

TEST(X11LaunchTest, OpenStartsAnEntryOrAnExecutableFileOnTheDisplay)
{
    test::VirtualDesktop desktop;
    GLibMainLoop loop;
    X11Desktop x11(loop);
    const std::string folder = desktop.folder() + "/open";
    const std::string out = folder + "/out";
    // Records the display it was given.
    const std::string program
        = "#!/bin/sh\necho \"$DISPLAY\" > '" + out + ".part' && mv '" + out + ".part' '" + out + "'\n";
    writeExecutable(folder + "/host", program);
    writeExecutable(folder + "/with space/host", program);
    test::writeFile(folder + "/plain", program);
    fs::permissions(folder + "/plain", fs::perms(0644));
    test::writeFile(
        folder + "/entry.desktop", "[Desktop Entry]\nType=Application\nName=Entry\nExec=" + folder + "/host\n");
    struct Case {
        std::string location;
        bool opens;
    };
    const Case cases[] = {
        { folder + "/host", true },
        { folder + "/with space/host", true },
        { folder + "/entry.desktop", true },
        // Not executable, not there, or a folder: nothing starts.
        { folder + "/plain", false },
        { folder + "/missing", false },
        { folder, false },
        { folder + "/missing.desktop", false },
    };
    for (const Case& c : cases) {
        fs::remove(out);
        EXPECT_EQ(x11.applications().open(c.location), c.opens) << c.location;
        if (c.opens)
            EXPECT_TRUE(eventually([&] { return fileHolds(out, std::string(std::getenv("DISPLAY")) + "\n"); }))
                << c.location;
        else
            EXPECT_FALSE(fs::exists(out)) << c.location;
    }
}

TEST(X11LaunchTest, AWebAppOpensByItsHotkeyComesForwardAndTilesByItsName)
{
    test::LocalHTTPServer server({ { "/",
        { 200, "<!DOCTYPE html><html><head><title>Notes</title></head><body>Notes</body></html>",
            "Content-Type: text/html; charset=utf-8\r\n" } } });
    // A non-ASCII name: the desktop sees the escaped form of its bundle identifier.
    const std::string identifier = desktopIdentifier(bundleIdentifier(slugify("Café Notes")));
    // Added while the app runs: the app writes the bundle, with the host it finds beside itself.
    RunningApp app([](const test::VirtualDesktop&) {});
    ASSERT_EQ(
        test::runTool({ "app", "add", server.url("/"), "--name", "Café Notes", "--hotkey", "ctrl+opt+m" }).status, 0);
    EXPECT_TRUE(fs::exists(ProcessPlaces::paths().desktopEntriesDirectory() + "/" + identifier + ".desktop"));

    GLibMainLoop loop;
    X11Desktop x11(loop);
    WindowSystem& windows = x11.windowSystem();
    auto webAppWindows = [&] {
        std::vector<WindowFacts> found;
        for (const WindowFacts& window : windows.windows())
            if (window.bundleIdentifier == identifier)
                found.push_back(window);
        return found;
    };
    auto webAppFocused = [&] {
        std::optional<WindowFacts> focused = windows.focusedWindow();
        return focused && focused->bundleIdentifier == identifier;
    };
    test::Keyboard keyboard;
    keyboard.chord({ test::keyControl, test::keyAlt, keyM });
    EXPECT_TRUE(server.waitForRequest("/", std::chrono::seconds(60)));
    ASSERT_TRUE(eventually([&] { return webAppWindows().size() == 1; }, 60));
    std::string windowClass
        = test::runProgram({ "xprop", "-id", std::to_string(webAppWindows()[0].handle.value), "WM_CLASS" }).output;
    EXPECT_NE(windowClass.find("\"" + identifier + "\""), std::string::npos) << windowClass;

    // Another window comes in front; the chord brings the web app's one window back, and starts no other.
    test::TestWindow other({ "--title", "Other" });
    ASSERT_TRUE(eventually([&] { return !webAppFocused(); }));
    keyboard.chord({ test::keyControl, test::keyAlt, keyM });
    EXPECT_TRUE(eventually(webAppFocused));
    EXPECT_EQ(webAppWindows().size(), 1u);

    // Tiling names the web app as the user does.
    test::ToolRun tiled = test::runTool({ "tile", "Café Notes", "left-half" });
    ASSERT_EQ(tiled.status, 0) << tiled.output;
    Frame target = frameForTile(TileSlot::leftHalf, Frame { 0, 0, 960, 1080 }, 0);
    EXPECT_TRUE(eventually([&] {
        std::optional<Frame> frame = windows.readFrame(webAppWindows()[0].handle);
        return frame && *frame == target;
    })) << "the web app's window did not reach the left half";
}

} // namespace
} // namespace quorvane
