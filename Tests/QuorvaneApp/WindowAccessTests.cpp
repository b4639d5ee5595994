#include "TilingTesting.h"

#include "QuorvaneApp/Tiling/WindowAccess.h"

namespace quorvane {
namespace {

using test::launchApp;
using test::openWindow;

class WindowAccessTest : public testing::Test {
public:
    SimulatedDesktop desktop;
    WindowAccess access { desktop.windowSystem, desktop.applications };
    int32_t app = launchApp(desktop, "org.example.Editor");

    std::vector<std::string> listedTitles()
    {
        std::vector<std::string> titles;
        for (const LiveWindow& window : access.windows())
            titles.push_back(window.title);
        return titles;
    }
};

TEST_F(WindowAccessTest, EveryFilterKeepsOutItsWindows)
{
    struct Case {
        std::string title;
        std::function<void(SimulatedWindow&)> change;
        bool listed;
    };
    const Frame frame { 100, 100, 600, 400 };
    int32_t agent = desktop.applications.launch(RunningApplication { "org.example.Agent", 0, "Agent", false, false });
    const Case cases[] = {
        { "plain", [](SimulatedWindow&) {}, true },
        { "exactly 80 x 80",
            [](SimulatedWindow& w) {
                w.facts.frame = Frame { 0, 0, 80, 80 };
            },
            true },
        { "79 wide",
            [](SimulatedWindow& w) {
                w.facts.frame = Frame { 0, 0, 79, 500 };
            },
            false },
        { "79 high",
            [](SimulatedWindow& w) {
                w.facts.frame = Frame { 0, 0, 500, 79 };
            },
            false },
        { "unreadable frame", [](SimulatedWindow& w) { w.facts.frame.reset(); }, false },
        { "kind unknown to the platform", [](SimulatedWindow& w) { w.facts.kind.reset(); }, true },
        { "dock or menu", [](SimulatedWindow& w) { w.facts.kind = WindowKind::other; }, false },
        { "dialog", [](SimulatedWindow& w) { w.facts.kind = WindowKind::dialog; }, false },
        { "system dialog", [](SimulatedWindow& w) { w.facts.kind = WindowKind::systemDialog; }, false },
        { "unknown kind", [](SimulatedWindow& w) { w.facts.kind = WindowKind::unknown; }, false },
        { "minimised", [](SimulatedWindow& w) { w.facts.minimized = true; }, false },
        { "full screen", [](SimulatedWindow& w) { w.facts.fullScreen = true; }, false },
        { "not on screen", [](SimulatedWindow& w) { w.onScreen = false; }, false },
        { "on screen 11.9 off",
            [&](SimulatedWindow& w) {
                w.onScreenFrame = Frame { 111.9, 88.1, 611.9, 388.1 };
            },
            true },
        { "on screen 12 off in x",
            [&](SimulatedWindow& w) {
                w.onScreenFrame = Frame { 112, 100, 600, 400 };
            },
            false },
        { "on screen 12 off in height",
            [&](SimulatedWindow& w) {
                w.onScreenFrame = Frame { 100, 100, 600, 412 };
            },
            false },
        { "own panel", [](SimulatedWindow& w) { w.facts.ownWindow = true; }, false },
        { "own process", [](SimulatedWindow& w) { w.facts.pid = 1; }, false },
        { "background agent", [&](SimulatedWindow& w) { w.facts.pid = agent; }, false },
    };
    for (const Case& c : cases) {
        SimulatedWindow window;
        window.facts.pid = app;
        window.facts.title = c.title;
        window.facts.frame = frame;
        window.facts.kind = WindowKind::standard;
        c.change(window);
        WindowHandle handle = desktop.windowSystem.addWindow(window);
        EXPECT_EQ(access.windows().size(), c.listed ? 1u : 0u) << c.title;
        desktop.windowSystem.removeWindow(handle);
    }
}

TEST_F(WindowAccessTest, WithoutAnOnScreenListEveryListedWindowCountsAsVisible)
{
    desktop.windowSystem.setReportsOnScreenList(false);
    WindowHandle hidden = openWindow(desktop, app, "org.example.Editor", Frame { 0, 0, 300, 300 }, "hidden");
    desktop.windowSystem.update(hidden, [](SimulatedWindow& window) { window.onScreen = false; });
    EXPECT_EQ(listedTitles(), std::vector<std::string> { "hidden" });
}

TEST_F(WindowAccessTest, WindowsComeByApplicationOrderThenFrontToBack)
{
    int32_t second = launchApp(desktop, "org.example.Second");
    openWindow(desktop, second, "org.example.Second", Frame { 0, 0, 300, 300 }, "second back");
    openWindow(desktop, app, "org.example.Editor", Frame { 0, 0, 300, 300 }, "editor back");
    openWindow(desktop, 4242, "", Frame { 0, 0, 300, 300 }, "unlisted process");
    openWindow(desktop, second, "org.example.Second", Frame { 0, 0, 300, 300 }, "second front");
    openWindow(desktop, app, "org.example.Editor", Frame { 0, 0, 300, 300 }, "editor front");
    EXPECT_EQ(listedTitles(),
        (std::vector<std::string> {
            "editor front", "editor back", "second front", "second back", "unlisted process" }));
}

TEST_F(WindowAccessTest, TheFrontWindowIsTheFirstOnScreenEntryThatMatches)
{
    int32_t second = launchApp(desktop, "org.example.Second");
    openWindow(desktop, app, "org.example.Editor", Frame { 0, 0, 300, 300 }, "editor");
    WindowHandle front = openWindow(desktop, second, "org.example.Second", Frame { 400, 0, 300, 300 }, "second");
    EXPECT_EQ(access.frontWindow()->title, "second");
    desktop.windowSystem.setReportsOnScreenList(false);
    EXPECT_EQ(access.frontWindow()->title, "second");
    desktop.windowSystem.update(front, [](SimulatedWindow& window) { window.facts.minimized = true; });
    EXPECT_EQ(access.frontWindow()->title, "editor");
    desktop.windowSystem.removeWindow(front);
    desktop.windowSystem.setReportsOnScreenList(true);
    desktop.windowSystem.update(
        desktop.windowSystem.windowsOf(app)[0], [](SimulatedWindow& window) { window.onScreen = false; });
    EXPECT_FALSE(access.frontWindow());
}

TEST_F(WindowAccessTest, FrameWritesAreAtLeastOnePointInEachDirection)
{
    WindowHandle window = openWindow(desktop, app, "org.example.Editor", Frame { 0, 0, 300, 300 });
    access.setFrame(window, Frame { 5, 6, 0, -3 }, AxisWrite::sizeThenPosition);
    ASSERT_EQ(desktop.windowSystem.writes().size(), 1u);
    EXPECT_EQ(desktop.windowSystem.writes()[0].frame, (Frame { 5, 6, 1, 1 }));
    EXPECT_EQ(desktop.windowSystem.writes()[0].order, AxisWrite::sizeThenPosition);
}

DisplayFacts display(const std::string& name, Frame frame, bool isMain = false)
{
    return DisplayFacts { name, frame, frame, isMain };
}

TEST_F(WindowAccessTest, DisplayOrderAndLookups)
{
    struct Case {
        std::string name;
        std::vector<DisplayFacts> displays;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        { "by left edge",
            { display("c", { 3000, 0, 800, 600 }), display("a", { -1000, 0, 1000, 800 }),
                display("b", { 0, 0, 1000, 800 }, true) },
            { "a", "b", "c" } },
        // Left edges half a point apart: the lower display (larger bottom in this top-down space) first.
        { "stacked, half a point apart",
            { display("top", { 0, 0, 1000, 800 }, true), display("below", { 0.5, 800, 1000, 800 }) },
            { "below", "top" } },
        { "a point and a bit apart",
            { display("right", { 1.5, 0, 1000, 800 }, true), display("left", { 0, 800, 1000, 800 }) },
            { "left", "right" } },
    };
    for (const Case& c : cases) {
        desktop.windowSystem.setDisplays(c.displays);
        std::vector<std::string> names;
        for (const DisplayFacts& facts : access.orderedScreens())
            names.push_back(facts.name);
        EXPECT_EQ(names, c.order) << c.name;
    }
}

TEST_F(WindowAccessTest, DisplaysByNumberAndByFrame)
{
    desktop.windowSystem.setDisplays(
        { display("right", { 1000, 0, 1000, 800 }, true), display("left", { 0, 0, 1000, 800 }) });
    struct Case {
        std::optional<int64_t> number;
        std::string name;
    };
    const Case cases[]
        = { { 1, "left" }, { 2, "right" }, { 0, "right" }, { 9, "right" }, { -1, "right" }, { std::nullopt, "right" } };
    for (const Case& c : cases)
        EXPECT_EQ(access.screen(c.number)->name, c.name) << c.number.value_or(-100);
    EXPECT_EQ(access.screen(Frame { 900, 0, 300, 300 })->name, "right"); // centre at 1050
    EXPECT_EQ(access.screen(Frame { 700, 0, 300, 300 })->name, "left"); // centre at 850
    EXPECT_EQ(access.screen(Frame { 5000, 0, 300, 300 })->name, "right"); // on no display: the main one

    desktop.windowSystem.setDisplays({});
    EXPECT_FALSE(access.screen(Frame { 0, 0, 100, 100 }));
    EXPECT_FALSE(access.screen(std::optional<int64_t>(1)));
    EXPECT_FALSE(access.mainScreen());
}

} // namespace
} // namespace quorvane
