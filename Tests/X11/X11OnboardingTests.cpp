// The onboarding panel of the real `quorvane-app` on the virtual desktop, driven through the accessibility
// bus: a first start, the walk to Done, the window-control step under a window manager that comes and
// goes, a setup step asked for at start, and a tile chord typed with XTest while Welcome shows.
#include "Configuration/QuorvanePaths.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "TestSupport/TemporaryFolder.h"
#include "X11/TestAccessibility.h"
#include "X11/TestKeyboard.h"
#include "X11/VirtualDesktop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quorvane {
namespace {

using namespace test;
namespace fs = std::filesystem;

const std::string panelTitle = "Quorvane Setup";

// Whether the process runs (a zombie does not).
bool running(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    size_t state = stat.rfind(')');
    return state != std::string::npos && state + 2 < stat.size() && stat[state + 2] != 'Z';
}

class X11OnboardingTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_desktop = new VirtualDesktop;
        s_bus = new AccessibilityBus;
    }

    static void TearDownTestSuite()
    {
        delete s_bus;
        delete s_desktop;
    }

    ~X11OnboardingTest() override { stop(); }

    void stop()
    {
        if (!app)
            return;
        app->signal(SIGTERM);
        EXPECT_EQ(app->finish(), 0);
        app.reset();
    }

    std::string configFile() const { return ProcessPlaces::paths().configFile(); }

    // The application started with `environment`; without a socket to answer (a setup step), started as is.
    void launch(const std::vector<std::string>& environment = {}, bool probe = false)
    {
        app = probe ? std::make_unique<ChildProcess>(
                          std::vector<std::string> { builtProgram("app/quorvane-app") }, environment)
                    : startApp(environment);
        application = s_bus->application("quorvane-app");
        ASSERT_TRUE(application);
    }

    Accessible findPanel(double seconds = 5)
    {
        return waitFor([&] { return application.find("frame", panelTitle); }, seconds);
    }

    Accessible control(const std::string& role, const std::string& name)
    {
        return waitFor([&] { return panel.find(role, name); });
    }

    bool shows(const std::string& text) { return static_cast<bool>(control("label", text)); }

    // Presses the panel's button and waits for the step it leads to.
    bool pressTo(const std::string& button, const std::string& eyebrow)
    {
        Accessible pressed = control("push button", button);
        return pressed && pressed.act() && shows(eyebrow);
    }

    bool sensitive(const std::string& button, bool wanted)
    {
        return eventually([&] {
            Accessible found = panel.find("push button", button);
            return found && found.sensitive() == wanted;
        });
    }

    bool fileHas(const std::string& line)
    {
        return eventually([&] { return ("\n" + readFile(configFile())).find("\n" + line + "\n") != std::string::npos; });
    }

    std::optional<WindowFacts> windowTitled(const std::string& title)
    {
        for (const WindowFacts& facts : windows.windowSystem().windows()) {
            if (facts.title == title)
                return facts;
        }
        return std::nullopt;
    }

    Frame mainArea()
    {
        for (const DisplayFacts& display : windows.windowSystem().displays())
            if (display.isMain)
                return display.visibleFrame;
        return {};
    }

    static inline VirtualDesktop* s_desktop = nullptr;
    static inline AccessibilityBus* s_bus = nullptr;
    Keyboard keyboard;
    GLibMainLoop loop;
    X11Desktop windows { loop };
    std::unique_ptr<ChildProcess> app;
    Accessible application;
    Accessible panel;
};

TEST_F(X11OnboardingTest, AFirstStartWalksToDoneAndTheNextStartAsksNothing)
{
    fs::remove(configFile());
    TestWindow front({ "--app-id", "org.example.Front", "--title", "Front", "--size", "500x400" });
    launch();
    EXPECT_TRUE(fs::exists(configFile()));
    panel = findPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(shows("STEP 1 OF 6"));
    EXPECT_TRUE(shows("Welcome"));
    EXPECT_FALSE(control("push button", "Back").sensitive());

    // A tile chord lights up its keys and acts on the front window, never on the panel.
    ASSERT_TRUE(eventually([&] { return windowTitled(panelTitle).has_value(); }));
    std::optional<Frame> panelFrame = windowTitled(panelTitle)->frame;
    keyboard.chord({ keyControl, keyAlt, keyF });
    EXPECT_TRUE(shows("You pressed Ctrl+Alt+F: Fill screen."));
    Frame area = mainArea();
    EXPECT_TRUE(eventually([&] {
        std::optional<Frame> frame = windows.windowSystem().readFrame(WindowHandle { front.id });
        return frame && std::abs(frame->width - area.width) < 1 && std::abs(frame->height - area.height) < 1;
    }));
    EXPECT_EQ(windowTitled(panelTitle)->frame, panelFrame);

    ASSERT_TRUE(pressTo("Continue", "STEP 2 OF 6"));
    EXPECT_TRUE(shows("Window control"));
    EXPECT_TRUE(shows("Quorvane can move windows through Openbox."));
    EXPECT_TRUE(sensitive("Continue", true));
    ASSERT_TRUE(pressTo("Continue", "STEP 3 OF 6"));
    // Linking goes to the first place the person may write: for a person without root, the home's own folder.
    std::string link = ProcessPlaces::paths().home + "/.local/bin/quorvane";
    if (::geteuid() != 0 && !fs::exists("/usr/local/bin/quorvane")) {
        Accessible button = control("push button", "Link the quorvane command");
        ASSERT_TRUE(button);
        ASSERT_TRUE(button.act());
        EXPECT_TRUE(shows("Linked quorvane at " + link));
        EXPECT_TRUE(fs::is_symlink(link));
    }
    ASSERT_TRUE(pressTo("Continue", "STEP 4 OF 6"));
    EXPECT_TRUE(shows("Skill file"));
    ASSERT_TRUE(pressTo("Continue", "STEP 5 OF 6"));
    EXPECT_TRUE(control("push button", "Agent chord"));
    ASSERT_TRUE(pressTo("Continue", "STEP 6 OF 6"));
    ASSERT_TRUE(control("push button", "Done").act());
    EXPECT_TRUE(fileHas("onboarding_complete = true"));
    EXPECT_TRUE(eventually([&] { return !application.find("frame", panelTitle); }));

    stop();
    launch();
    EXPECT_FALSE(findPanel(1.5));
}

TEST_F(X11OnboardingTest, ASetupStepAskedForAtStartOpensThereWithoutASocket)
{
    writeConfig(configWith({ "onboarding_complete = true" }));
    launch({ "QUORVANE_SETUP_STEP=2" }, true);
    panel = findPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(shows("STEP 3 OF 6"));
    EXPECT_TRUE(shows("Command line"));
    EXPECT_NE(runTool({ "ping" }).status, 0);
}

// Last: the desktop's own window manager does not come back.
TEST_F(X11OnboardingTest, TheWindowControlStepFollowsTheWindowManager)
{
    writeConfig(configWith({ "onboarding_complete = true" }));
    launch({ "QUORVANE_SETUP_STEP=1" }, true);
    panel = findPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(shows("STEP 2 OF 6"));
    EXPECT_TRUE(sensitive("Continue", true));

    // A window manager takes over from the desktop's own, then leaves none behind.
    std::string config = sourceFile("Resources/VirtualDesktop/openbox-rc.xml");
    {
        ChildProcess replacement({ "openbox", "--replace", "--config-file", config });
        ASSERT_TRUE(eventually([&] { return !running(s_desktop->windowManager()); }));
        replacement.signal(SIGTERM);
        replacement.finish();
    }
    EXPECT_TRUE(sensitive("Continue", false));
    EXPECT_TRUE(shows("Quorvane cannot move windows: no EWMH window manager is running."));
    Accessible help = waitFor([&] {
        for (const Accessible& label : panel.findAll("label")) {
            if (label.name().starts_with("Start a window manager that supports EWMH"))
                return label;
        }
        return Accessible();
    });
    EXPECT_TRUE(help);

    ChildProcess restarted({ "openbox", "--config-file", config });
    EXPECT_TRUE(sensitive("Continue", true));
    EXPECT_TRUE(pressTo("Continue", "STEP 3 OF 6"));
    stop();
    restarted.signal(SIGTERM);
    restarted.finish();
}

} // namespace
} // namespace quorvane
