#include "AppTesting.h"
#include "TilingTesting.h"
#include "WebApps/DesktopIdentifier.h"
#include "WebApps/WebBundleWriter.h"

#include "Hotkeys/TileAction.h"
#include "QuorvaneApp/Tiling/TilingActions.h"
#include "Support/QuorvaneError.h"
#include "Tiling/TileGeometry.h"

#include <filesystem>

namespace quorvane {
namespace {

using test::frameOf;
using test::launchApp;
using test::openWindow;
using test::writeFile;

const Frame area { 0, 0, 1000, 800 };

Frame tile(TileSlot slot, const Frame& in = area)
{
    return frameForTile(slot, in, 0);
}

class TilingActionsTest : public test::AppTest {
public:
    int32_t editor = launchApp(desktop, "org.example.Editor");
    int32_t terminal = launchApp(desktop, "org.example.Terminal");

    TilingActionsTest() { test::oneDisplay(desktop, area); }

    // Starts the model with these lines under [general], after the defaults.
    void begin(const std::string& general = "", const std::string& rest = "")
    {
        startWith("[general]\n" + general + "\n" + rest);
    }
    TilingActions& tiling() { return model->tiling(); }
    WindowHandle open(int32_t pid, const Frame& frame, const std::string& title = "")
    {
        std::string bundle = pid == editor ? "org.example.Editor" : pid == terminal ? "org.example.Terminal" : "";
        for (const RunningApplication& application : desktop.applications.running()) {
            if (application.pid == pid)
                bundle = application.bundleIdentifier;
        }
        return openWindow(desktop, pid, bundle, frame, title);
    }
    WindowHandle openFocused(int32_t pid, const Frame& frame)
    {
        WindowHandle handle = open(pid, frame);
        desktop.windowSystem.focus(handle);
        return handle;
    }
    // Lets every requested move land (less than one census period).
    void settle() { desktop.advance(0.5); }
};

TEST_F(TilingActionsTest, MovesStepBetweenTilesOrNudgeTheWindow)
{
    begin();
    struct Case {
        std::string name;
        Frame from;
        Direction direction;
        Frame to;
    };
    const Frame loose { 100, 100, 300, 300 };
    const Frame leftTwoThirds = tile(TileSlot::leftTwoThirds);
    const Case cases[] = {
        { "left half to right half", tile(TileSlot::leftHalf), Direction::right, tile(TileSlot::rightHalf) },
        { "right half has no right neighbour", tile(TileSlot::rightHalf), Direction::right, { 580, 0, 500, 800 } },
        { "left two thirds has no left neighbour", leftTwoThirds, Direction::left,
            { -80, 0, leftTwoThirds.width, 800 } },
        { "left two thirds to the right third", leftTwoThirds, Direction::right, tile(TileSlot::rightThird) },
        { "top-left down", tile(TileSlot::topLeft), Direction::down, tile(TileSlot::bottomLeft) },
        { "fill has no neighbours", tile(TileSlot::fill), Direction::up, { 0, -64, 1000, 800 } },
        { "an untiled window down", loose, Direction::down, { 100, 164, 300, 300 } },
        { "an untiled window left", loose, Direction::left, { 20, 100, 300, 300 } },
    };
    for (const Case& c : cases) {
        WindowHandle window = openFocused(editor, c.from);
        tiling().moveFocused(c.direction);
        settle();
        EXPECT_EQ(frameOf(desktop, window), c.to) << c.name;
        desktop.windowSystem.removeWindow(window);
    }
}

TEST_F(TilingActionsTest, ActionsTakeTheFrontWindowWhenThisApplicationHasFocus)
{
    begin();
    WindowHandle back = open(terminal, { 100, 100, 300, 300 });
    WindowHandle front = open(editor, { 200, 200, 300, 300 });
    SimulatedWindow panel;
    panel.facts.pid = 1;
    panel.facts.ownWindow = true;
    panel.facts.frame = Frame { 0, 0, 500, 100 };
    desktop.windowSystem.focus(desktop.windowSystem.addWindow(panel));
    tiling().fillFocused();
    settle();
    EXPECT_EQ(frameOf(desktop, front), tile(TileSlot::fill));
    EXPECT_EQ(frameOf(desktop, back), (Frame { 100, 100, 300, 300 }));
}

TEST_F(TilingActionsTest, NothingToActOnDoesNothing)
{
    begin();
    for (const TileAction& action : { TileAction::move(Direction::left), TileAction::focus(Direction::left),
             TileAction::fill(), TileAction::layout(1), TileAction::nextDisplay() })
        model->tiling().performTile(action);
    settle();
    EXPECT_TRUE(desktop.windowSystem.writes().empty());
}

TEST_F(TilingActionsTest, FocusGoesToTheNeighbourOnTheSameDisplay)
{
    begin();
    WindowHandle right = open(terminal, tile(TileSlot::rightHalf));
    openFocused(editor, tile(TileSlot::leftHalf));
    model->tiling().performTile(TileAction::focus(Direction::left));
    EXPECT_TRUE(desktop.windowSystem.raised().empty());
    model->tiling().performTile(TileAction::focus(Direction::right));
    EXPECT_EQ(desktop.windowSystem.raised(), std::vector<WindowHandle> { right });
    EXPECT_EQ(desktop.windowSystem.focusedWindow()->handle, right);
}

TEST_F(TilingActionsTest, LayoutThreeDealsQuartersAndStacksTheRest)
{
    begin();
    std::vector<WindowHandle> windows;
    for (int index = 0; index < 5; ++index)
        windows.push_back(open(index % 2 ? terminal : editor, { 100.0 * index, 50, 300, 300 }));
    model->tiling().performTile(TileAction::layout(3));
    settle();
    std::vector<Frame> rows = stack(tile(TileSlot::bottomRight), 2, 0);
    const Frame expected[]
        = { tile(TileSlot::topLeft), tile(TileSlot::topRight), tile(TileSlot::bottomLeft), rows[0], rows[1] };
    for (size_t index = 0; index < 5; ++index)
        EXPECT_EQ(frameOf(desktop, windows[index]), expected[index]) << index;
}

TEST_F(TilingActionsTest, LayoutThreeTwiceSwapsTheTopRightAndBottomLeftWindows)
{
    begin();
    std::vector<WindowHandle> windows;
    for (int index = 0; index < 4; ++index)
        windows.push_back(open(editor, { 100.0 * index, 50, 300, 300 }));
    model->tiling().performTile(TileAction::layout(3));
    settle();
    model->tiling().performTile(TileAction::layout(3));
    settle();
    EXPECT_EQ(frameOf(desktop, windows[1]), tile(TileSlot::bottomLeft));
    EXPECT_EQ(frameOf(desktop, windows[2]), tile(TileSlot::topRight));
}

TEST_F(TilingActionsTest, LayoutNumbersOutsideOneToSixDoNothing)
{
    begin();
    open(editor, { 100, 100, 300, 300 });
    for (int number : { 0, 7, -1 })
        model->tiling().performTile(TileAction::layout(number));
    settle();
    EXPECT_TRUE(desktop.windowSystem.writes().empty());
}

TEST_F(TilingActionsTest, DisplayMovesKeepTheTileOrShowTheNotice)
{
    begin();
    WindowHandle window = openFocused(editor, tile(TileSlot::leftHalf));
    model->tiling().performTile(TileAction::nextDisplay());
    std::optional<SimulatedOverlayPanels::Shown> notice = desktop.overlay.shown(PanelKind::notice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->content.title, "Only one display connected");
    EXPECT_EQ(model->overlay().notice(), "Only one display connected");

    const Frame second { 1000, 0, 800, 600 };
    desktop.windowSystem.setDisplays(
        { DisplayFacts { "sim:1", area, area, true }, DisplayFacts { "sim:2", second, second, false } });
    model->tiling().performTile(TileAction::previousDisplay());
    settle();
    EXPECT_EQ(frameOf(desktop, window), tile(TileSlot::leftHalf, second));
}

TEST_F(TilingActionsTest, CyclingLayoutsAppliesEachSavedOneInTurn)
{
    begin("", "[layouts.a]\n\"org.example.Editor\" = \"left-half\"\n[layouts.b]\n\"org.example.Editor\" = \"fill\"\n");
    WindowHandle window = open(editor, { 100, 100, 300, 300 });
    const Frame expected[] = { tile(TileSlot::leftHalf), tile(TileSlot::fill), tile(TileSlot::leftHalf) };
    for (const Frame& frame : expected) {
        tiling().cycleLayouts();
        settle();
        EXPECT_EQ(frameOf(desktop, window), frame);
    }
}

TEST_F(TilingActionsTest, CyclingWithoutSavedLayoutsSaysSo)
{
    begin();
    model->setBanner("All good.", true);
    tiling().cycleLayouts();
    EXPECT_EQ(model->banner(), "No saved layouts.");
    EXPECT_FALSE(model->bannerIsSuccess());
}

TEST_F(TilingActionsTest, TileModeTogglesTheCheatSheetAndExitOnlyLeavesIt)
{
    begin();
    model->tiling().performTile(TileAction::exit());
    EXPECT_FALSE(model->tileMode());
    model->tiling().toggleTileMode();
    EXPECT_TRUE(model->tileMode());
    EXPECT_TRUE(desktop.overlay.shown(PanelKind::cheatSheet));
    model->tiling().performTile(TileAction::exit());
    EXPECT_FALSE(model->tileMode());
    EXPECT_FALSE(desktop.overlay.shown(PanelKind::cheatSheet));
}

// The census

TEST_F(TilingActionsTest, WindowsOfLaunchTimeAreNeverPlacedAndNewOnesAlternate)
{
    begin("auto_tile = true\nanimate_tiles = false");
    WindowHandle old = open(editor, { 100, 100, 300, 300 });
    // Still being set up at launch, and ready a moment later: it was there before all the same.
    WindowHandle settling = open(editor, { 100, 100, 300, 300 });
    desktop.windowSystem.update(settling, [](SimulatedWindow& window) { window.facts.ready = false; });
    desktop.advance(1.2);
    EXPECT_TRUE(tiling().seededCensus());
    desktop.windowSystem.update(settling, [](SimulatedWindow& window) { window.facts.ready = true; });
    const TileSlot sides[] = { TileSlot::leftHalf, TileSlot::rightHalf, TileSlot::leftHalf };
    for (TileSlot side : sides) {
        WindowHandle window = open(terminal, { 100, 100, 300, 300 });
        desktop.advance(1.2);
        EXPECT_EQ(frameOf(desktop, window), tile(side));
    }
    EXPECT_EQ(frameOf(desktop, old), (Frame { 100, 100, 300, 300 }));
    EXPECT_EQ(frameOf(desktop, settling), (Frame { 100, 100, 300, 300 }));
}

TEST_F(TilingActionsTest, ANewWindowIsPlacedOnceItIsReady)
{
    begin("auto_tile = false\nanimate_tiles = false",
        "[rules.report]\nbundle = \"org.example.Editor\"\ntitle = \"^Report\"\ntile = \"right-half\"\n"
        "[rules.terminal]\nbundle = \"org.example.Terminal\"\ntile = \"left-half\"\n");
    desktop.advance(1.2);
    const Frame untouched { 100, 100, 300, 300 };
    const Frame elsewhere { 50, 60, 300, 300 };
    // One census period each: the window's title and readiness as the census finds them, a move by the
    // user before it, and where the window is after it.
    struct Step {
        std::string title;
        bool ready;
        std::optional<Frame> movedTo;
        Frame expected;
    };
    struct Case {
        std::string name;
        int32_t pid;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        { "titled a moment later: the rule on its title applies", editor,
            { { "", false, {}, untouched }, { "Report 1", true, {}, tile(TileSlot::rightHalf) } } },
        { "never ready: taken as it is after a while", terminal,
            { { "", false, {}, untouched }, { "", false, {}, untouched }, { "", false, {}, untouched },
                { "", false, {}, tile(TileSlot::leftHalf) } } },
        { "seen once: not placed again when its title goes and comes back", editor,
            { { "Report 2", true, {}, tile(TileSlot::rightHalf) }, { "", false, elsewhere, elsewhere },
                { "Report 2", true, {}, elsewhere } } },
        { "ready with a title no rule matches", editor,
            { { "", false, {}, untouched }, { "Notes", true, {}, untouched }, { "Report 3", true, {}, untouched } } },
    };
    for (const Case& c : cases) {
        WindowHandle window = open(c.pid, untouched);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            desktop.windowSystem.update(window, [&](SimulatedWindow& simulated) {
                simulated.facts.title = step.title;
                simulated.facts.ready = step.ready;
                if (step.movedTo)
                    simulated.facts.frame = step.movedTo;
            });
            desktop.advance(1.2);
            EXPECT_EQ(frameOf(desktop, window), step.expected) << c.name << ", step " << i + 1;
        }
        desktop.windowSystem.removeWindow(window);
    }
}

TEST_F(TilingActionsTest, APlatformsChangeNoticeRunsTheCensusAtOnce)
{
    begin("auto_tile = true\nanimate_tiles = false");
    desktop.windowSystem.announceChange();
    desktop.loop.runPending();
    EXPECT_TRUE(tiling().seededCensus());
    WindowHandle window = open(terminal, { 100, 100, 300, 300 });
    desktop.windowSystem.announceChange();
    desktop.loop.runPending();
    EXPECT_EQ(frameOf(desktop, window), tile(TileSlot::leftHalf));
}

TEST_F(TilingActionsTest, NewWindowsArePlacedByTheFirstMatchingSource)
{
    const Frame second { 1000, 0, 800, 600 };
    desktop.windowSystem.setDisplays(
        { DisplayFacts { "sim:1", area, area, true }, DisplayFacts { "sim:2", second, second, false } });
    int32_t notes = launchApp(desktop, "app.quorvane.web.notes");
    int32_t other = launchApp(desktop, "org.example.Other");
    begin("auto_tile = false\nanimate_tiles = false",
        "[rules.editor]\nbundle = \"org.example.Editor\"\ntitle = \"^Report\"\ntile = \"right-third\"\ndisplay = 2\n"
        "[rules.broken]\nbundle = \"org.example.Terminal\"\ntile = \"middle\"\n"
        "[apps.notes]\nurl = \"https://notes.example.com/\"\nname = \"Notes\"\n"
        "bundle_id = \"app.quorvane.web.notes\"\ntile = \"bottom-half\"\n");
    desktop.advance(1.2);
    struct Case {
        std::string name;
        int32_t pid;
        std::string title;
        Frame expected;
    };
    const Frame untouched { 100, 100, 300, 300 };
    const Case cases[] = {
        { "rule with title and display", editor, "Report 3", tile(TileSlot::rightThird, second) },
        { "title the rule does not match", editor, "Notes", untouched },
        { "rule whose tile does not parse", terminal, "", untouched },
        { "web app tile", notes, "Notes", tile(TileSlot::bottomHalf) },
        { "no rule and no auto-tile", other, "", untouched },
    };
    for (const Case& c : cases) {
        WindowHandle window = open(c.pid, untouched, c.title);
        desktop.advance(1.2);
        EXPECT_EQ(frameOf(desktop, window), c.expected) << c.name;
    }
}

TEST_F(TilingActionsTest, SnappingAWindowlessAppLaunchesItAndTheCensusPlacesItsFirstWindow)
{
    desktop.applications.install("org.example.Notes", "/usr/share/applications/org.example.Notes.desktop");
    begin("animate_tiles = false");
    // Right after start, before the census has run once.
    model->snap("org.example.Notes", TileSlot::rightHalf, std::nullopt);
    EXPECT_EQ(desktop.applications.opened(),
        std::vector<std::string> { "/usr/share/applications/org.example.Notes.desktop" });
    ASSERT_EQ(tiling().pendingSnaps().count("org.example.Notes"), 1u);
    int32_t pid = desktop.applications.running().back().pid;
    WindowHandle window = openWindow(desktop, pid, "org.example.Notes", { 10, 10, 300, 300 });
    desktop.advance(1.2);
    EXPECT_EQ(frameOf(desktop, window), tile(TileSlot::rightHalf));
    EXPECT_TRUE(tiling().pendingSnaps().empty());
    // Only the first window is placed.
    WindowHandle later = openWindow(desktop, pid, "org.example.Notes", { 10, 10, 300, 300 });
    desktop.advance(1.2);
    EXPECT_EQ(frameOf(desktop, later), (Frame { 10, 10, 300, 300 }));
}

TEST_F(TilingActionsTest, AWebAppIsTiledAndSavedUnderItsOwnNameWhateverTheDesktopCallsIt)
{
    // The desktop cannot take "é" in an application id, so it knows this web app by an escaped name.
    const std::string cafe = "app.quorvane.web.café";
    int32_t pid = launchApp(desktop, desktopIdentifier(cafe));
    begin("animate_tiles = false",
        "[apps.cafe]\nurl = \"https://cafe.example.com/\"\nname = \"Café\"\nbundle_id = \"" + cafe + "\"\n");
    WindowHandle window = open(pid, { 100, 100, 300, 300 });
    model->snap(cafe, TileSlot::leftHalf, std::nullopt);
    settle();
    EXPECT_EQ(frameOf(desktop, window), tile(TileSlot::leftHalf));
    EXPECT_TRUE(desktop.applications.opened().empty());
    EXPECT_EQ(forward({ "layout", "save", "work" }).exitCode, 0);
    EXPECT_EQ(model->config().layouts.at(0).assignments, (std::vector<LayoutAssignment> { { "cafe", "left-half" } }));
}

TEST_F(TilingActionsTest, SnapFailures)
{
    begin("",
        "[apps.notes]\nurl = \"https://notes.example.com/\"\nname = \"Notes\"\nbundle_id = "
        "\"app.quorvane.web.notes\"\n");
    try {
        model->snap("org.example.Missing", TileSlot::leftHalf, std::nullopt);
        ADD_FAILURE() << "no error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "No app with bundle id org.example.Missing.");
        EXPECT_EQ(error.exitCode(), 5);
    }
    // Running with its only window minimised, and found by no desktop file.
    WindowHandle minimised = open(terminal, tile(TileSlot::fill));
    desktop.windowSystem.update(minimised, [](SimulatedWindow& window) { window.facts.minimized = true; });
    try {
        model->snap("org.example.Terminal", TileSlot::leftHalf, std::nullopt);
        ADD_FAILURE() << "no error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "org.example.Terminal runs, but has no window that can be tiled.");
        EXPECT_EQ(error.exitCode(), 5);
    }
    // The web app's bundle is on disk but will not start: the snap fails instead of waiting for ever.
    std::string host = webHostExecutable(paths().appsDirectory() + "/Notes.app");
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    test::writeFile(host, "host");
    try {
        model->snap("app.quorvane.web.notes", TileSlot::leftHalf, std::nullopt);
        ADD_FAILURE() << "no error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "Quorvane could not open app.quorvane.web.notes.");
        EXPECT_EQ(error.exitCode(), 8);
    }
    EXPECT_EQ(desktop.applications.opened(), std::vector<std::string> { host });
    EXPECT_TRUE(tiling().pendingSnaps().empty());
}

TEST_F(TilingActionsTest, AGapTooLargeForADisplayGivesWayAndTheDoctorSaysSo)
{
    const Frame large { 0, 0, 1920, 1080 }, small { 1920, 0, 800, 600 };
    desktop.windowSystem.setDisplays(
        { DisplayFacts { "sim:1", large, large, true }, DisplayFacts { "sim:2", small, small, false } });
    begin("tile_gap = 200");
    WindowHandle window = open(editor, Frame { 10, 10, 300, 200 });
    std::string doctor = forward({ "doctor" }).message;
    EXPECT_EQ(doctor.find("is too large for display 1"), std::string::npos) << doctor;
    EXPECT_NE(doctor.find("[warn] tile-gap: tile_gap = 200 is too large for display 2 (800 × 600): tiles there take "
                          "a smaller gap, so that no window comes out under 80 × 80."),
        std::string::npos)
        << doctor;
    // Tiled on the small display the window keeps a size tiling manages, so it can be tiled on from there.
    for (const char* slot : { "left-third", "right-third" }) {
        ASSERT_EQ(forward({ "tile", "org.example.Editor", slot, "--display", "2" }).exitCode, 0) << slot;
        settle();
        Frame frame = frameOf(desktop, window);
        EXPECT_GE(frame.width, 80) << slot;
        EXPECT_GE(frame.height, 80) << slot;
    }
    EXPECT_EQ(frameOf(desktop, window), frameForTile(TileSlot::rightThird, small, 200));
}

TEST_F(TilingActionsTest, ATileWithoutWindowControlFailsWithThePermissionRowsDetail)
{
    begin();
    const Frame loose { 10, 10, 300, 200 };
    WindowHandle window = open(editor, loose);
    desktop.permissions.setWindowControl(false);
    RPCResponse response = forward({ "tile", "org.example.Editor", "top-right" });
    EXPECT_EQ(response.exitCode, 4);
    EXPECT_EQ(response.message, PermissionWording {}.windowControlDenied);
    settle();
    EXPECT_EQ(frameOf(desktop, window), loose);
}

// Commands through the socket

TEST_F(TilingActionsTest, TileCommandsWorkEndToEnd)
{
    begin();
    WindowHandle window = open(editor, { 100, 100, 300, 300 });
    RPCResponse response = forward({ "tile", "org.example.Editor", "left-half" });
    EXPECT_EQ(response.exitCode, 0);
    EXPECT_EQ(response.message, "Tiled org.example.Editor to left-half.");
    settle();
    EXPECT_EQ(frameOf(desktop, window), tile(TileSlot::leftHalf));
    RPCResponse missing = forward({ "tile", "org.example.Missing", "left-half" });
    EXPECT_EQ(missing.exitCode, 5);
    EXPECT_EQ(missing.message, "No app with bundle id org.example.Missing.");
}

TEST_F(TilingActionsTest, LayoutsAreSavedAndAppliedEndToEnd)
{
    int32_t notes = launchApp(desktop, "app.quorvane.web.notes");
    begin("",
        "[apps.notes]\nurl = \"https://notes.example.com/\"\nname = \"Notes\"\nbundle_id = "
        "\"app.quorvane.web.notes\"\n");
    WindowHandle loose = open(editor, { 100, 100, 300, 300 });
    RPCResponse untiled = forward({ "layout", "save", "work" });
    EXPECT_EQ(untiled.exitCode, 8);
    EXPECT_EQ(untiled.message, "No tiled windows to save.");

    WindowHandle left = open(editor, tile(TileSlot::leftHalf));
    WindowHandle right = open(notes, tile(TileSlot::rightHalf));
    EXPECT_EQ(forward({ "layout", "save", "work" }).exitCode, 0);
    ASSERT_EQ(model->config().layouts.size(), 1u);
    EXPECT_EQ(model->config().layouts[0].assignments,
        (std::vector<LayoutAssignment> { { "org.example.Editor", "left-half" }, { "notes", "right-half" } }));

    for (WindowHandle handle : { left, right, loose })
        desktop.windowSystem.update(handle, [](SimulatedWindow& w) { w.facts.frame = Frame { 50, 50, 200, 200 }; });
    RPCResponse applied = forward({ "layout", "apply", "work" });
    EXPECT_EQ(applied.exitCode, 0) << applied.message;
    settle();
    // Both editor windows share the left half as rows.
    std::vector<Frame> rows = stack(tile(TileSlot::leftHalf), 2, 0);
    std::vector<Frame> editorFrames = { frameOf(desktop, left), frameOf(desktop, loose) };
    std::sort(editorFrames.begin(), editorFrames.end(), [](const Frame& a, const Frame& b) { return a.y < b.y; });
    EXPECT_EQ(editorFrames, rows);
    EXPECT_EQ(frameOf(desktop, right), tile(TileSlot::rightHalf));
}

TEST_F(TilingActionsTest, AssignmentsWithUnknownTilesOrTargetsAreSkipped)
{
    // An id without a dot (a desktop-file id, a window class) is a window's id like any other.
    int32_t xterm = launchApp(desktop, "xterm");
    begin("",
        "[layouts.mixed]\n\"org.example.Editor\" = \"middle\"\n\"nothing here\" = \"left-half\"\n"
        "\"org.example.Absent\" = \"fill\"\n\"org.example.Terminal\" = \"right-half\"\nxterm = \"left-half\"\n");
    WindowHandle editorWindow = open(editor, { 100, 100, 300, 300 });
    WindowHandle terminalWindow = open(terminal, { 100, 100, 300, 300 });
    WindowHandle xtermWindow = open(xterm, { 100, 100, 300, 300 });
    tiling().applyLayout("mixed");
    settle();
    EXPECT_EQ(frameOf(desktop, editorWindow), (Frame { 100, 100, 300, 300 }));
    EXPECT_EQ(frameOf(desktop, terminalWindow), tile(TileSlot::rightHalf));
    EXPECT_EQ(frameOf(desktop, xtermWindow), tile(TileSlot::leftHalf));
    EXPECT_THROW(tiling().applyLayout("absent"), QuorvaneError);
}

} // namespace
} // namespace quorvane
