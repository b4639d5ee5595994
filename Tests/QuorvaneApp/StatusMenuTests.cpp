// The tray item's menu on the simulated desktop: what it shows for the model's state, and that each line
// goes the way its hotkey or command goes.
#include "AppTesting.h"
#include "TilingTesting.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Views/StatusMenu.h"
#include "Router/DoctorCheck.h"
#include "Support/QuorvaneVersion.h"

namespace quorvane {
namespace {

using Labels = std::vector<std::string>;

const std::string twoLayouts = "[layouts.work]\n\"org.example.Editor\" = \"left-half\"\n"
                               "[layouts.home]\n\"org.example.Editor\" = \"fill\"\n";
const std::string notesApp = "[apps.notes]\nurl = \"https://notes.example.com/\"\nname = \"Notes\"\n"
                             "bundle_id = \"app.quorvane.web.notes\"\n";

class StatusMenuTest : public test::AppTest {
protected:
    SimulatedStatusItem& item = desktop.statusItem;

    void begin(const std::string& tail = "", const std::vector<std::pair<std::string, std::string>>& general = {})
    {
        test::oneDisplay(desktop);
        editor = test::launchApp(desktop, "org.example.Editor");
        window = test::openWindow(desktop, editor, "org.example.Editor", Frame { 100, 100, 300, 300 });
        auto settings = general;
        settings.emplace_back("animate_tiles", "false");
        startWith(test::configText(settings, tail));
        settle();
    }

    // Lets the posted rebuild run, as the main loop's next turn does.
    void settle() { desktop.loop.runPending(); }

    bool choose(const std::string& label)
    {
        bool found = item.choose(label);
        settle();
        return found;
    }

    int32_t editor = 0;
    WindowHandle window {};
};

TEST_F(StatusMenuTest, ShowsWhatTheModelHas)
{
    struct Case {
        std::string name;
        std::string tail;
        std::vector<std::pair<std::string, std::string>> general;
        Labels top, layouts, webApps;
    };
    const Labels plainTop { "Tile Mode (ctrl+opt+space)", "Layouts", "Web Apps", "Settings…", "Setup Guide…", "-", "About Quorvane", "-",
        "Quit Quorvane" };
    const Case cases[] = {
        { "fresh", "", {}, plainTop, { "Save Layout…" }, { "No web apps yet", "-", "New Web App…" } },
        { "layouts and a web app", twoLayouts + notesApp, {},
            { "Tile Mode (ctrl+opt+space)", "Cycle Layouts (ctrl+opt+l)", "Layouts", "Web Apps", "Settings…", "Setup Guide…", "-",
                "About Quorvane", "-", "Quit Quorvane" },
            { "work", "home", "-", "Save Layout…" }, { "Notes", "-", "New Web App…" } },
        { "chords switched off", twoLayouts, { { "tile_mode_hotkey", "\"\"" }, { "layout_hotkey", "\"\"" } },
            { "Tile Mode", "Cycle Layouts", "Layouts", "Web Apps", "Settings…", "Setup Guide…", "-", "About Quorvane", "-", "Quit Quorvane" },
            { "work", "home", "-", "Save Layout…" }, { "No web apps yet", "-", "New Web App…" } },
        { "a chord written loosely shows canonical", "", { { "tile_mode_hotkey", "\"Opt + Control + T\"" } },
            { "Tile Mode (ctrl+opt+t)", "Layouts", "Web Apps", "Settings…", "Setup Guide…", "-", "About Quorvane", "-", "Quit Quorvane" },
            { "Save Layout…" }, { "No web apps yet", "-", "New Web App…" } },
    };
    for (const Case& c : cases) {
        model.reset();
        item.setMenu({});
        begin(c.tail, c.general);
        EXPECT_EQ(item.labels(), c.top) << c.name;
        EXPECT_EQ(item.labels("Layouts"), c.layouts) << c.name;
        EXPECT_EQ(item.labels("Web Apps"), c.webApps) << c.name;
        EXPECT_EQ(item.menu().secondaryKey, StatusMenu::tileModeKey) << c.name;
    }
    EXPECT_FALSE(item.find("No web apps yet") && item.find("No web apps yet")->enabled);
    ASSERT_TRUE(item.look());
    EXPECT_EQ(*item.look(), (StatusItemLook { "Quorvane", "quorvane-symbolic" }));
}

TEST_F(StatusMenuTest, TheBannerLeadsWithItsToneAndOpensTheSettingsAsSettingsDoes)
{
    begin();
    model->setBanner("No saved layouts.", false);
    settle();
    ASSERT_EQ(item.labels().front(), "No saved layouts.");
    EXPECT_EQ(item.labels()[1], "-");
    const StatusMenuItem* line = item.find("No saved layouts.");
    EXPECT_EQ(line->tone, MenuTone::failure);
    EXPECT_EQ(line->accessibleLabel, "Problem: No saved layouts.");

    model->setBanner("Saved layout work.", true);
    settle();
    EXPECT_EQ(item.find("Saved layout work.")->tone, MenuTone::success);

    // The settings window's status line shows it in full, on the tab shown last.
    EXPECT_TRUE(choose("Saved layout work."));
    EXPECT_TRUE(desktop.appWindows.settingsOpen());
    EXPECT_EQ(desktop.appWindows.page(), "general");
    EXPECT_EQ(desktop.appWindows.form().status, "Saved layout work.");
    model->showSettings(SettingsTab::agents);
    desktop.appWindows.close();
    EXPECT_TRUE(choose("Settings…"));
    EXPECT_EQ(desktop.appWindows.page(), "agents");
    EXPECT_EQ(model->banner(), "Saved layout work.");
}

TEST_F(StatusMenuTest, ChangesInOneTurnRebuildOnce)
{
    begin(twoLayouts);
    int before = item.menuUpdates();
    model->setBanner("one", false);
    model->setBanner("two", false);
    model->tiling().toggleTileMode();
    EXPECT_TRUE(model->statusMenu()->refreshPending());
    EXPECT_EQ(item.menuUpdates(), before);
    settle();
    EXPECT_EQ(item.menuUpdates(), before + 1);
    EXPECT_EQ(item.labels().front(), "two");
    EXPECT_TRUE(item.find("Tile Mode (ctrl+opt+space)")->checked);

    // Nothing new: no new menu.
    model->statusMenu()->refresh();
    settle();
    EXPECT_EQ(item.menuUpdates(), before + 1);

    // A reload of the file brings its layouts.
    test::writeFile(configPath(), test::readFile(configPath()) + "[layouts.desk]\n\"org.example.Editor\" = \"fill\"\n");
    desktop.advance(0.5);
    EXPECT_EQ(item.labels("Layouts"), (Labels { "work", "home", "desk", "-", "Save Layout…" }));
}

TEST_F(StatusMenuTest, TileModeTurnsOnAndOffFromTheMenuAndTheMiddleClick)
{
    begin();
    EXPECT_TRUE(choose("Tile Mode (ctrl+opt+space)"));
    EXPECT_TRUE(model->tileMode());
    EXPECT_TRUE(desktop.overlay.shown(PanelKind::cheatSheet));
    EXPECT_EQ(*item.look(), (StatusItemLook { "Quorvane, tile mode on", "quorvane-tile-mode-symbolic" }));
    EXPECT_TRUE(item.find("Tile Mode (ctrl+opt+space)")->checked);

    item.activateSecondary();
    settle();
    EXPECT_FALSE(model->tileMode());
    EXPECT_FALSE(desktop.overlay.shown(PanelKind::cheatSheet));
    EXPECT_EQ(item.look()->title, "Quorvane");
    EXPECT_FALSE(item.find("Tile Mode (ctrl+opt+space)")->checked);
}

TEST_F(StatusMenuTest, LinesRunTheirCommandsAndFailuresReachTheBanner)
{
    begin(twoLayouts + notesApp);
    EXPECT_TRUE(choose("home"));
    EXPECT_EQ(test::frameOf(desktop, window), (Frame { 0, 0, 1000, 800 }));
    EXPECT_EQ(model->banner(), "Applied home.");
    EXPECT_TRUE(model->bannerIsSuccess());

    EXPECT_TRUE(choose("Cycle Layouts (ctrl+opt+l)"));
    EXPECT_EQ(test::frameOf(desktop, window), (Frame { 0, 0, 500, 800 }));

    // The web app's bundle was never written: its hotkey would say so, and so does its line.
    EXPECT_TRUE(choose("Notes"));
    EXPECT_EQ(model->banner(), "Quorvane could not find app.quorvane.web.notes.");
    EXPECT_FALSE(model->bannerIsSuccess());

    // A layout removed on disk while its line is still shown.
    test::writeFile(configPath(), test::configText({ { "animate_tiles", "false" } }));
    model->configuration().reloadFromDisk();
    EXPECT_TRUE(item.choose("work"));
    EXPECT_EQ(model->banner(), "No layout named work.");
    settle();
    EXPECT_FALSE(item.find("work"));
}

TEST_F(StatusMenuTest, SaveLayoutAsksForANameAndSavesItThroughTheCommand)
{
    begin();
    struct Case {
        std::string name;
        bool tiled;
        std::optional<std::string> typed;
        std::string banner;
        Labels layouts;
    };
    const Case cases[] = {
        { "cancelled", true, std::nullopt, "", { "Save Layout…" } },
        { "blank", true, "   ", "A layout needs a name.", { "Save Layout…" } },
        { "no tiled window", false, "desk", "No tiled windows to save.", { "Save Layout…" } },
        { "trimmed", true, "  desk  ", "Saved layout desk.", { "desk", "-", "Save Layout…" } },
    };
    for (const Case& c : cases) {
        model->setBanner("", false);
        desktop.windowSystem.update(window, [&](SimulatedWindow& moved) {
            moved.facts.frame = c.tiled ? Frame { 0, 0, 500, 800 } : Frame { 100, 100, 300, 300 };
        });
        EXPECT_TRUE(choose("Save Layout…")) << c.name;
        ASSERT_TRUE(item.textRequest()) << c.name;
        EXPECT_EQ(item.textRequest()->fieldName, "Layout name");
        item.answer(c.typed);
        settle();
        EXPECT_FALSE(item.textRequest()) << c.name;
        EXPECT_EQ(model->banner(), c.banner) << c.name;
        EXPECT_EQ(item.labels("Layouts"), c.layouts) << c.name;
    }
    EXPECT_NE(test::readFile(configPath()).find("[layouts.desk]"), std::string::npos);
}

TEST_F(StatusMenuTest, InsensitiveAndUnknownLinesDoNothing)
{
    begin();
    int before = item.menuUpdates();
    EXPECT_TRUE(choose("No web apps yet"));
    model->statusMenu()->choose("layout:nowhere");
    model->statusMenu()->choose(StatusMenu::layoutsKey);
    settle();
    EXPECT_EQ(model->banner(), "");
    EXPECT_TRUE(desktop.applications.opened().empty());
    EXPECT_EQ(item.menuUpdates(), before);
}

TEST_F(StatusMenuTest, AboutShowsTheVersionAndQuitEndsTheLoopAsASignalDoes)
{
    begin();
    EXPECT_TRUE(choose("About Quorvane"));
    ASSERT_TRUE(item.about());
    EXPECT_EQ(item.about()->version, QuorvaneVersion::current);
    EXPECT_FALSE(desktop.loop.quitting());

    EXPECT_TRUE(model->socketListening());
    EXPECT_TRUE(item.choose("Quit Quorvane"));
    EXPECT_TRUE(model->quitting());
    EXPECT_TRUE(desktop.loop.quitting());
    EXPECT_FALSE(model->socketListening());
}

TEST_F(StatusMenuTest, DoctorSaysWhetherATrayShowsTheItem)
{
    begin();
    struct Case {
        TrayHost host;
        DoctorCheck::Status status;
        std::string detail;
    };
    const Case cases[] = {
        { TrayHost::statusNotifier, DoctorCheck::Status::pass, "A tray shows Quorvane's item and menu." },
        { TrayHost::xembed, DoctorCheck::Status::pass,
            "A system tray shows Quorvane's icon; its menu opens from there." },
        { TrayHost::none, DoctorCheck::Status::warn,
            "No tray is running, so Quorvane's menu is hidden (on GNOME, the AppIndicator extension shows it). "
            "The hotkeys and the quorvane command still work." },
    };
    for (const Case& c : cases) {
        item.setHost(c.host);
        std::vector<DoctorCheck> checks = model->permissionChecks();
        ASSERT_FALSE(checks.empty());
        EXPECT_EQ(checks.back(), (DoctorCheck { "tray", c.status, c.detail }));
    }
}

} // namespace
} // namespace quorvane
