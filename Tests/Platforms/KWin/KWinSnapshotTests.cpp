#include "Platforms/KWin/KWinSnapshot.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

constexpr int32_t ownPid = 99;

KWinWindowReport window(const std::string& id, int64_t stacking, const std::string& caption = "Title")
{
    KWinWindowReport report;
    report.id = id;
    report.pid = 10;
    report.desktopFile = "app." + id;
    report.caption = caption;
    report.frame = { 0, 0, 400, 300 };
    report.stacking = stacking;
    return report;
}

class KWinSnapshotTest : public testing::Test {
protected:
    bool apply(KWinReport report)
    {
        return snapshot.apply(report, [](const KWinWindowReport& window) { return window.desktopFile; });
    }
    std::vector<std::string> titles()
    {
        std::vector<std::string> result;
        for (const WindowFacts& facts : snapshot.windows())
            result.push_back(facts.title);
        return result;
    }

    KWinSnapshot snapshot { ownPid };
};

TEST_F(KWinSnapshotTest, ListsTheShownWindowsFrontToBack)
{
    KWinWindowReport hidden = window("{c}", 9, "Other desktop");
    hidden.shown = false;
    KWinWindowReport own = window("{d}", 2, "Own");
    own.pid = ownPid;
    EXPECT_FALSE(snapshot.complete());
    EXPECT_TRUE(apply({ true, { window("{a}", 1, "Back"), window("{b}", 5, "Front"), hidden, own }, {}, "{b}", {} }));
    EXPECT_TRUE(snapshot.complete());
    EXPECT_EQ(titles(), (std::vector<std::string> { "Front", "Own", "Back" }));
    std::vector<WindowFacts> listed = snapshot.windows();
    EXPECT_EQ(listed[0].id, "kwin:b");
    EXPECT_EQ(listed[0].bundleIdentifier, "app.{b}");
    EXPECT_TRUE(listed[1].ownWindow);
    EXPECT_EQ(snapshot.active()->title, "Front");
    EXPECT_EQ(snapshot.frame(listed[2].handle), (Frame { 0, 0, 400, 300 }));
    EXPECT_EQ(snapshot.kwinId(listed[2].handle), "{a}");
}

TEST_F(KWinSnapshotTest, TellsWhichChangesTheCensusMustSee)
{
    apply({ true, { window("{a}", 1), window("{b}", 2, "") }, {}, "", {} });
    auto changed = [&](KWinWindowReport report) { return apply({ false, { report }, {}, {}, {} }); };

    KWinWindowReport moved = window("{a}", 3, "Renamed");
    moved.frame = { 8, 8, 948, 1064 };
    EXPECT_FALSE(changed(moved)) << "a frame, a title or the stacking of a named window";
    EXPECT_TRUE(changed(window("{b}", 2, "Named at last")));
    KWinWindowReport minimised = window("{a}", 3, "Renamed");
    minimised.minimized = true;
    EXPECT_TRUE(changed(minimised));
    KWinWindowReport elsewhere = window("{a}", 3, "Renamed");
    elsewhere.desktopFile = "app.other";
    EXPECT_TRUE(changed(elsewhere));
    EXPECT_TRUE(changed(window("{new}", 4)));
    EXPECT_TRUE(apply({ false, {}, { "{new}" }, {}, {} }));
    EXPECT_FALSE(apply({ false, {}, { "{never}" }, "{a}", {} }));
    std::vector<KWinScreenReport> screens { { "", { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1080 } } };
    EXPECT_TRUE(apply({ false, {}, {}, {}, screens }));
    EXPECT_FALSE(apply({ false, {}, {}, {}, screens }));
}

TEST_F(KWinSnapshotTest, AnotherFullListingDropsTheMissingAndKeepsTheHandlesOfTheRest)
{
    apply({ true, { window("{a}", 1), window("{b}", 2) }, {}, "", {} });
    WindowHandle handle = snapshot.windows().back().handle;
    // A script loaded again lists the windows anew: those it lists are the same windows, not new ones.
    EXPECT_TRUE(apply({ true, { window("{a}", 1) }, {}, "", {} }));
    ASSERT_EQ(snapshot.windows().size(), 1u);
    EXPECT_EQ(snapshot.windows().front().handle, handle);
    EXPECT_FALSE(apply({ true, { window("{a}", 1) }, {}, "", {} }));
    EXPECT_FALSE(snapshot.kwinId(WindowHandle { handle.value + 1 }));
    EXPECT_FALSE(snapshot.active());
}

TEST_F(KWinSnapshotTest, UnnamedScreensTakeTheNamesKWinGaveOrTheirNumber)
{
    snapshot.setScreenNames({ "Virtual-0" });
    apply({ true, {}, {}, "",
        std::vector<KWinScreenReport> { { "", { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1040 } },
            { "", { 1920, 0, 1280, 1024 }, { 1920, 0, 1280, 1024 } },
            { "DP-3", { 3200, 0, 800, 600 }, { 3200, 0, 800, 600 } } } });
    std::vector<DisplayFacts> displays = snapshot.displays();
    ASSERT_EQ(displays.size(), 3u);
    EXPECT_EQ(displays[0], (DisplayFacts { "Virtual-0", { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1040 }, true }));
    EXPECT_EQ(displays[1].name, "Screen 2");
    EXPECT_FALSE(displays[1].isMain);
    EXPECT_EQ(displays[2].name, "DP-3");
}

} // namespace
} // namespace quorvane
