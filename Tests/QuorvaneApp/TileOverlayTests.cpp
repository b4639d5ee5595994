#include "TilingTesting.h"

#include "QuorvaneApp/Views/AgentToast.h"
#include "QuorvaneApp/Views/TileOverlay.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "Tiling/TileGeometry.h"

#include <map>
#include <set>

namespace quorvane {
namespace {

using test::launchApp;
using test::openWindow;

class TileOverlayTest : public testing::Test {
public:
    SimulatedDesktop desktop;
    WindowAccess access { desktop.windowSystem, desktop.applications };
    TileOverlay overlay { desktop.loop, desktop.overlay, access, desktop.permissions };
    AgentToast toast { desktop.loop, desktop.overlay, access };
    int32_t editor = launchApp(desktop, "org.example.Editor");
    const Frame area { 0, 0, 1000, 800 };

    TileOverlayTest() { test::oneDisplay(desktop, area); }

    bool noticeShown() const { return desktop.overlay.shown(PanelKind::notice).has_value(); }
};

TEST_F(TileOverlayTest, RingsGoAroundTheFirstTwelveWindowsAndTheFocusedOneIsLarger)
{
    std::vector<WindowHandle> windows;
    for (int index = 0; index < 15; ++index)
        windows.push_back(openWindow(desktop, editor, "org.example.Editor", { 10.0 * index, 20, 300, 200 }));
    // Front to back: the last one opened is first; focus the one listed third.
    desktop.windowSystem.focus(windows[12]);
    overlay.show(false, 0, {});
    const std::vector<Ring>& rings = desktop.overlay.rings();
    ASSERT_EQ(rings.size(), 12u);
    EXPECT_EQ(rings[0], (Ring { { 115, 15, 310, 210 }, true }));
    EXPECT_EQ(rings[1], (Ring { { 140, 20, 300, 200 }, false }));
    // The focused window came to the front, and a window within 8 points counts as focused too.
    EXPECT_EQ(std::count_if(rings.begin(), rings.end(), [](const Ring& ring) { return ring.focused; }), 1);

    desktop.windowSystem.focus(std::nullopt);
    desktop.advance(TileOverlay::refreshSeconds);
    EXPECT_EQ(overlay.subtitle(), "");
    EXPECT_EQ(desktop.overlay.rings().size(), 12u);
    overlay.hide();
    EXPECT_TRUE(desktop.overlay.rings().empty());
    EXPECT_FALSE(desktop.overlay.shown(PanelKind::cheatSheet));
    EXPECT_EQ(desktop.loop.timerCount(), 0u);
}

TEST_F(TileOverlayTest, TheSubtitleNamesTheFocusedWindowAndItsTile)
{
    struct Case {
        std::string title;
        Frame frame;
        std::string subtitle;
    };
    const Frame leftHalf = frameForTile(TileSlot::leftHalf, area, 0);
    const Case cases[] = {
        { "notes.txt", leftHalf, "notes.txt · left-half" },
        { "", leftHalf, "Focused window · left-half" },
        { "loose", { 100, 100, 300, 300 }, "loose" },
        // 20 points off in x and width: within 28 in each component, while inferSlot's total of 32 is exceeded.
        { "near", { 20, 0, 520, 800 }, "near · left-half" },
    };
    for (const Case& c : cases) {
        WindowHandle window = openWindow(desktop, editor, "org.example.Editor", c.frame, c.title);
        desktop.windowSystem.focus(window);
        overlay.show(false, 0, {});
        EXPECT_EQ(overlay.subtitle(), c.subtitle) << c.title;
        EXPECT_EQ(desktop.overlay.shown(PanelKind::cheatSheet)->content.subtitle, c.subtitle);
        desktop.windowSystem.removeWindow(window);
    }
    EXPECT_FALSE(inferSlot(Frame { 20, 0, 520, 800 }, area, 0, 8));
}

TEST_F(TileOverlayTest, TheCheatSheetSitsAboveTheBottomOfTheMainDisplay)
{
    struct Case {
        Frame visible;
        bool fallback;
        Frame expected;
    };
    const Case cases[] = {
        { { 0, 30, 900, 770 }, false, { 12, 352, 876, 420 } },
        { { 0, 30, 2000, 1000 }, false, { 460, 582, 1080, 420 } },
        { { 0, 30, 2000, 1000 }, true, { 460, 502, 1080, 500 } },
    };
    for (const Case& c : cases) {
        desktop.windowSystem.setDisplays(
            { DisplayFacts { "other", { -3000, 0, 100, 100 }, { -3000, 0, 100, 100 }, false },
                DisplayFacts { "main", c.visible, c.visible, true } });
        overlay.show(c.fallback, 0, {});
        EXPECT_EQ(desktop.overlay.shown(PanelKind::cheatSheet)->frame, c.expected) << c.visible.width;
        EXPECT_EQ(desktop.overlay.shown(PanelKind::cheatSheet)->content.notes.size(), c.fallback ? 6u : 5u);
    }
    // Without a display the panel keeps its frame.
    desktop.windowSystem.setDisplays({});
    overlay.refresh();
    EXPECT_EQ(desktop.overlay.shown(PanelKind::cheatSheet)->frame, cases[2].expected);
}

TEST_F(TileOverlayTest, EachGroupOfChordsHasItsOwnTintAndTheFallbackNoteIsTheDesktops)
{
    overlay.show(true, 0, TileKeys::resolved({}));
    PanelContent content = desktop.overlay.shown(PanelKind::cheatSheet)->content;
    std::map<std::string, std::set<unsigned>> tints;
    for (const PanelRow& row : content.rows)
        tints[row.group].insert(row.tint);
    ASSERT_EQ(tints.size(), 4u);
    std::set<unsigned> distinct;
    for (const auto& [group, groupTints] : tints) {
        EXPECT_EQ(groupTints.size(), 1u) << group;
        distinct.insert(*groupTints.begin());
    }
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(content.notes.back(), desktop.permissions.wording().bareKeysWait);
}

TEST_F(TileOverlayTest, WithoutWindowControlTheRingsGo)
{
    openWindow(desktop, editor, "org.example.Editor", { 0, 0, 300, 300 });
    overlay.show(false, 0, {});
    EXPECT_EQ(desktop.overlay.rings().size(), 1u);
    desktop.permissions.setWindowControl(false);
    desktop.advance(TileOverlay::refreshSeconds);
    EXPECT_TRUE(desktop.overlay.rings().empty());
    EXPECT_TRUE(desktop.overlay.shown(PanelKind::cheatSheet));
}

TEST_F(TileOverlayTest, ASecondNoticeRestartsItsSecond)
{
    overlay.showNotice("Only one display connected", std::nullopt);
    desktop.advance(0.6);
    overlay.showNotice("Only one display connected", std::nullopt);
    desktop.advance(0.9);
    EXPECT_TRUE(noticeShown());
    desktop.advance(0.1);
    EXPECT_FALSE(noticeShown());
}

TEST_F(TileOverlayTest, TheAgentToastStaysThreePointTwoSecondsAfterTheLastCall)
{
    toast.show("Terminal", "claude");
    EXPECT_EQ(desktop.overlay.shown(PanelKind::toast)->frame, (Frame { 290, 28, 420, 72 }));
    desktop.advance(3);
    toast.show("Terminal", "claude");
    desktop.advance(3.15);
    EXPECT_TRUE(desktop.overlay.shown(PanelKind::toast));
    desktop.advance(0.05);
    EXPECT_FALSE(desktop.overlay.shown(PanelKind::toast));
}

} // namespace
} // namespace quorvane
