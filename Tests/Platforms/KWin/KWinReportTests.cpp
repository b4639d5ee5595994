#include "Platforms/KWin/KWinCommandQueue.h"
#include "Platforms/KWin/KWinReport.h"
#include "Platforms/KWin/KWinSupportInfo.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(KWinReportTest, ReadsEveryPartOfAMessage)
{
    std::optional<KWinReport> report = KWinReport::decode(R"({"all":true,
        "windows":[{"id":"{a}","pid":42,"desktopFile":"org.example.Notes","resourceClass":"notes",
            "resourceName":"notes-bin","caption":"Notes","frame":{"x":8,"y":16.5,"width":948,"height":1064},
            "type":"dialog","minimized":true,"fullScreen":false,"shown":true,"stacking":7}],
        "removed":["{b}"],"active":"{a}",
        "screens":[{"name":"DP-1","frame":{"x":0,"y":0,"width":1920,"height":1080},
            "area":{"x":0,"y":0,"width":1920,"height":1040}}]})");
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->all);
    ASSERT_EQ(report->windows.size(), 1u);
    EXPECT_EQ(report->windows[0],
        (KWinWindowReport { "{a}", 42, "org.example.Notes", "notes", "notes-bin", "Notes", { 8, 16.5, 948, 1064 },
            WindowKind::dialog, true, false, true, 7 }));
    EXPECT_EQ(report->removed, std::vector<std::string> { "{b}" });
    EXPECT_EQ(report->active, "{a}");
    ASSERT_TRUE(report->screens);
    EXPECT_EQ(report->screens->front(), (KWinScreenReport { "DP-1", { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1040 } }));
}

TEST(KWinReportTest, OddMembersCountAsEmptyAndWindowsWithoutAnIdAreLeftOut)
{
    std::optional<KWinReport> report = KWinReport::decode(
        R"({"windows":[{"id":"{a}","pid":"42","caption":7,"frame":[1,2],"type":"tooltip","stacking":1.5},
            {"caption":"no id"},{"id":""},3],"removed":[1,"{c}"],"active":null})");
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->all);
    ASSERT_EQ(report->windows.size(), 1u);
    const KWinWindowReport& window = report->windows[0];
    EXPECT_EQ(window.pid, 0);
    EXPECT_EQ(window.caption, "");
    EXPECT_EQ(window.frame, Frame {});
    EXPECT_EQ(window.kind, WindowKind::other);
    EXPECT_FALSE(window.shown);
    EXPECT_EQ(window.stacking, 0);
    EXPECT_EQ(report->removed, std::vector<std::string> { "{c}" });
    // A null active window is no window; a report without screens leaves them as they are.
    EXPECT_EQ(report->active, "");
    EXPECT_FALSE(report->screens);
    EXPECT_FALSE(KWinReport::decode(R"({"windows":[]})")->active);
}

TEST(KWinReportTest, TextThatIsNoMessageIsRefused)
{
    for (const char* text : { "", "[]", "\"stop\"", "{", R"({"windows":[}")", "null", "{\"a\":1}x" })
        EXPECT_FALSE(KWinReport::decode(text)) << text;
}

TEST(KWinCommandQueueTest, ANewerCommandOfAWindowReplacesItsOlderOneOfTheSameAction)
{
    KWinCommandQueue queue;
    queue.push({ KWinCommand::Action::move, "{a}", { 0, 0, 100, 100 } });
    queue.push({ KWinCommand::Action::activate, "{a}", {} });
    queue.push({ KWinCommand::Action::move, "{b}", { 1, 1, 10, 10 } });
    queue.push({ KWinCommand::Action::move, "{a}", { 8, 8, 948.4, 1064.6 } });
    EXPECT_EQ(queue.take(),
        R"([{"action":"activate","id":"{a}"},{"action":"move","height":10,"id":"{b}","width":10,"x":1,"y":1},)"
        R"({"action":"move","height":1065,"id":"{a}","width":948,"x":8,"y":8}])");
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.take(), "[]");
}

TEST(KWinCommandQueueTest, MovesGoToWholePixelsAndAtLeastOnePixel)
{
    EXPECT_EQ(KWinCommandQueue::encode({ { KWinCommand::Action::move, "{a}", { 645.333, -0.4, 0, 0.2 } } }),
        R"([{"action":"move","height":1,"id":"{a}","width":1,"x":645,"y":0}])");
    EXPECT_EQ(KWinCommandQueue::encode({ { KWinCommand::Action::minimize, "{a}", { 5, 5, 5, 5 } } }),
        R"([{"action":"minimize","id":"{a}"}])");
    // An overlay window is named by its title, and its placement carries a frame as a move does.
    EXPECT_EQ(KWinCommandQueue::encode({ { KWinCommand::Action::place, "Tile mode ring 2", { 4.6, 5, 0, 300 } } }),
        R"([{"action":"place","height":300,"id":"Tile mode ring 2","width":1,"x":5,"y":5}])");
}

TEST(KWinSupportInfoTest, ReadsTheVersionTheScreensAndTheRefreshRate)
{
    KWinSupportInfo info = KWinSupportInfo::parse("KWin Support Information:\n\nVersion\n=======\n"
                                                  "KWin version: 5.27.5\nQt Version: 5.15.8\n\n"
                                                  "Screens\n=======\nActive screen follows mouse:  yes\n"
                                                  "Number of Screens: 2\n\nScreen 0:\n---------\nName: Virtual-0\n"
                                                  "Enabled: 1\nRefresh Rate: 59951\n\nScreen 1:\n---------\n"
                                                  "Name: HDMI-A-1\nRefresh Rate: 30000\n\nCompositing\n===========\n"
                                                  "Name: not a screen\n");
    EXPECT_EQ(info.version, "5.27.5");
    EXPECT_EQ(info.major, 5);
    EXPECT_EQ(info.minor, 27);
    EXPECT_EQ(info.screenNames, (std::vector<std::string> { "Virtual-0", "HDMI-A-1" }));
    EXPECT_DOUBLE_EQ(info.refreshRate, 59.951);
    EXPECT_EQ(info.desktopName(), "KDE Plasma (KWin 5.27) on Wayland");
}

TEST(KWinSupportInfoTest, AnUnknownVersionIsNamedWithoutOne)
{
    for (const char* text : { "", "KWin version: six\n", "KWin version: 6\n" }) {
        KWinSupportInfo info = KWinSupportInfo::parse(text);
        EXPECT_EQ(info.version, "") << text;
        EXPECT_EQ(info.desktopName(), "KDE Plasma (KWin) on Wayland") << text;
    }
    EXPECT_EQ(KWinSupportInfo::parse("KWin version: 6.0.90\n").desktopName(), "KDE Plasma (KWin 6.0) on Wayland");
}

} // namespace
} // namespace quorvane
