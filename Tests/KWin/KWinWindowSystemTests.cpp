// The KWin backend in this process against a headless KWin: Xwayland windows of the test-window program and
// native Wayland GTK windows side by side.
#include "KWin/HeadlessKWin.h"
#include "Platforms/KWin/KWinDesktop.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/Platform/DisplayFacts.h"
#include "QuorvaneApp/Platform/Permissions.h"
#include "QuorvaneApp/Platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <csignal>

namespace quorvane {
namespace {

using test::eventually;
using test::TestWindow;
using test::WaylandWindow;

class KWinWindowSystemTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        desktop = new test::HeadlessKWin();
        if (!desktop->skipReason())
            reader = new test::KWinReader();
    }
    static void TearDownTestSuite()
    {
        delete reader;
        delete desktop;
    }
    void SetUp() override
    {
        if (desktop->skipReason())
            GTEST_SKIP() << *desktop->skipReason();
    }

    WindowSystem& windows() { return reader->desktop().windowSystem(); }

    // The application's window once listed.
    WindowFacts listed(const std::string& applicationId)
    {
        std::optional<WindowFacts> window;
        eventually([&] { return (window = reader->windowOf(applicationId)).has_value(); });
        if (!window)
            throw std::runtime_error(applicationId + " is not listed");
        return *window;
    }

    bool landsOn(const std::string& applicationId, const Frame& target)
    {
        std::optional<WindowFacts> window;
        bool landed = eventually([&] {
            window = reader->windowOf(applicationId);
            return window && window->frame == target;
        });
        if (!landed && window && window->frame)
            ADD_FAILURE() << applicationId << " at " << window->frame->x << "," << window->frame->y << " "
                          << window->frame->width << "x" << window->frame->height;
        return landed;
    }

    static test::HeadlessKWin* desktop;
    static test::KWinReader* reader;
};

test::HeadlessKWin* KWinWindowSystemTest::desktop = nullptr;
test::KWinReader* KWinWindowSystemTest::reader = nullptr;

TEST_F(KWinWindowSystemTest, ReportsEachWindowWithItsApplicationTitleProcessAndKind)
{
    TestWindow xwayland({ "--app-id", "org.example.XFacts", "--title", "X facts", "--size", "500x400" });
    TestWindow classOnly({ "--class", "sketch,SketchClass", "--title", "Class only" });
    TestWindow dialog({ "--app-id", "org.example.XDialog", "--title", "X dialog", "--type", "dialog" });
    WaylandWindow wayland("org.example.WFacts", "W facts", "600x500");

    WindowFacts x = listed("org.example.XFacts");
    EXPECT_EQ(x.title, "X facts");
    EXPECT_EQ(x.pid, xwayland.process.pid());
    EXPECT_EQ(x.kind, WindowKind::standard);
    EXPECT_EQ(x.frame->width, 500);
    EXPECT_EQ(x.frame->height, 400);
    EXPECT_TRUE(x.id.starts_with("kwin:")) << x.id;
    EXPECT_TRUE(x.ready);
    EXPECT_FALSE(x.ownWindow);

    WindowFacts w = listed("org.example.WFacts");
    EXPECT_EQ(w.title, "W facts");
    EXPECT_EQ(w.pid, wayland.process.pid());
    EXPECT_EQ(w.kind, WindowKind::standard);
    EXPECT_EQ(w.frame->width, 600);
    EXPECT_EQ(w.frame->height, 500);

    // A window that names no desktop file is known by its class, which KWin gives in lower case.
    EXPECT_EQ(listed("sketchclass").title, "Class only");
    EXPECT_EQ(listed("org.example.XDialog").kind, WindowKind::dialog);
    EXPECT_TRUE(reader->desktop().permissions().windowControlAllowed());
}

TEST_F(KWinWindowSystemTest, FramesLandExactlyForXwaylandAndWaylandWindows)
{
    TestWindow xwayland({ "--app-id", "org.example.XMoves", "--title", "X moves" });
    WaylandWindow wayland("org.example.WMoves", "W moves");
    const std::vector<Frame> frames { { 8, 8, 948, 1064 }, { 964, 548, 948, 524 }, { 100, 50, 300, 200 },
        { 0, 0, 1920, 1080 } };
    for (std::string application : { "org.example.XMoves", "org.example.WMoves" }) {
        WindowHandle handle = listed(application).handle;
        for (const Frame& frame : frames) {
            windows().setFrame(handle, frame, AxisWrite::positionThenSize);
            EXPECT_TRUE(landsOn(application, frame)) << application;
        }
    }
}

TEST_F(KWinWindowSystemTest, AMaximisedWindowIsReleasedAndLandsExactly)
{
    TestWindow maximised({ "--app-id", "org.example.Big", "--title", "Big", "--state", "maximized" });
    ASSERT_TRUE(landsOn("org.example.Big", Frame { 0, 0, 1920, 1080 }));
    windows().setFrame(listed("org.example.Big").handle, { 8, 8, 948, 1064 }, AxisWrite::sizeThenPosition);
    EXPECT_TRUE(landsOn("org.example.Big", Frame { 8, 8, 948, 1064 }));
}

TEST_F(KWinWindowSystemTest, NewWindowsTitlesAndClosesReachTheChangeHandler)
{
    int changes = 0;
    windows().setChangeHandler([&] { ++changes; });
    {
        TestWindow late({ "--app-id", "org.example.Late", "--title", "Late", "--title-after", "300" });
        EXPECT_TRUE(eventually([&] { return reader->windowOf("org.example.Late").has_value(); }));
        int seen = changes;
        EXPECT_GT(seen, 0);
        EXPECT_TRUE(eventually([&] {
            std::optional<WindowFacts> window = reader->windowOf("org.example.Late");
            return window && window->ready && window->title == "Late";
        }));
    }
    int beforeClose = changes;
    EXPECT_TRUE(eventually([&] { return !reader->windowOf("org.example.Late"); }));
    EXPECT_GT(changes, beforeClose);
    windows().setChangeHandler({});
}

TEST_F(KWinWindowSystemTest, RaisingFocusesAndHiddenApplicationsComeBack)
{
    TestWindow first({ "--app-id", "org.example.First", "--title", "First" });
    WaylandWindow second("org.example.Second", "Second");
    Applications& applications = reader->desktop().applications();
    for (std::string application : { "org.example.First", "org.example.Second", "org.example.First" }) {
        windows().raise(listed(application).handle);
        EXPECT_TRUE(eventually([&] {
            reader->turn();
            std::optional<WindowFacts> focused = windows().focusedWindow();
            return focused && focused->bundleIdentifier == application;
        })) << application;
    }
    applications.hide(second.process.pid());
    EXPECT_TRUE(eventually([&] { return listed("org.example.Second").minimized; }));
    applications.activate(second.process.pid());
    EXPECT_TRUE(eventually([&] { return !listed("org.example.Second").minimized; }));
}

TEST_F(KWinWindowSystemTest, AnApplicationQuitsWhenItsLastWindowAndProcessAreGone)
{
    Applications& applications = reader->desktop().applications();
    std::vector<RunningApplication> quits;
    auto first = std::make_unique<WaylandWindow>("org.example.KQuits", "K quits one");
    auto second = std::make_unique<WaylandWindow>("org.example.KQuits", "K quits two");
    int32_t firstPid = first->process.pid();
    listed("K quits one");
    listed("K quits two");
    // Set once both are listed, the handler starts from an application it has seen running. Windows of
    // earlier cases may still be leaving: only this application's quits count.
    applications.setQuitHandler([&quits](const RunningApplication& quit) {
        if (quit.bundleIdentifier == "org.example.KQuits")
            quits.push_back(quit);
    });
    first->process.signal(SIGTERM);
    first->process.finish();
    // One process of the application gone: that one quit, and only it.
    ASSERT_TRUE(eventually([&] {
        reader->turn();
        return !quits.empty();
    }));
    EXPECT_EQ(quits,
        (std::vector<RunningApplication> { { "org.example.KQuits", firstPid, "org.example.KQuits", true, false } }));
    int32_t secondPid = second->process.pid();
    second.reset();
    EXPECT_TRUE(eventually([&] {
        reader->turn();
        return quits.size() == 2 && quits.back().pid == secondPid;
    }));
    applications.setQuitHandler(nullptr);
}

TEST_F(KWinWindowSystemTest, TheDisplayIsTheVirtualOutput)
{
    reader->turn();
    std::vector<DisplayFacts> displays = windows().displays();
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_EQ(displays.front(), (DisplayFacts { "Virtual-0", { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1080 }, true }));
    EXPECT_EQ(windows().refreshRate(), 60);
}

TEST_F(KWinWindowSystemTest, AScriptUnloadedBehindItsBackIsLoadedAgain)
{
    TestWindow window({ "--app-id", "org.example.Again", "--title", "Again" });
    WindowHandle handle = listed("org.example.Again").handle;
    ASSERT_EQ(test::runProgram({ "gdbus", "call", "--session", "--dest", "org.kde.KWin", "--object-path", "/Scripting",
                                   "--method", "org.kde.kwin.Scripting.unloadScript", "quorvane-test" })
                  .output,
        "(true,)\n");
    // Its last fetch is answered after a while and no new one comes, so the script is loaded again: it lists the
    // windows anew, which keep their handles, and moves them. A move asked for in between may be lost.
    const Frame target { 10, 20, 300, 200 };
    EXPECT_TRUE(eventually(
        [&] {
            windows().setFrame(handle, target, AxisWrite::positionThenSize);
            std::optional<WindowFacts> moved = reader->windowOf("org.example.Again");
            return moved && moved->frame == target;
        },
        30));
    EXPECT_TRUE(reader->desktop().permissions().windowControlAllowed());
}

TEST_F(KWinWindowSystemTest, OnlyKWinIsHeard)
{
    test::ChildProcess call(
        { "gdbus", "call", "--session", "--dest", reader->desktop().busName(), "--object-path", "/org/quorvane/KWin",
            "--method", "org.quorvane.KWinReports.Report", "1.1", R"({"all":true})" },
        {}, true);
    // The answer comes from this process's own main context.
    std::string output;
    eventually([&] {
        reader->turn();
        if (std::optional<std::string> line = call.readLine(0.01))
            output += *line;
        return output.find("AccessDenied") != std::string::npos;
    });
    EXPECT_NE(call.finish(), 0);
    EXPECT_NE(output.find("AccessDenied"), std::string::npos) << output;
}

} // namespace
} // namespace quorvane
