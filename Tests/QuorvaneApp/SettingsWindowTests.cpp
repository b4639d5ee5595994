// The settings window on the simulated desktop: its tabs, what each edit saves (or refuses), rules made by
// picking a window, skills, the configuration followed while it is open, and the application's own keys.
#include "AppTesting.h"
#include "KeysTesting.h"
#include "TilingTesting.h"

#include "QuorvaneApp/Views/AgentSettings.h"
#include "QuorvaneApp/Views/SettingsWindow.h"
#include "QuorvaneApp/Views/TilingSettings.h"

#include <filesystem>

namespace quorvane {
namespace {

using Lines = std::vector<std::string>;

class SettingsWindowTest : public test::SettingsTest {
protected:
    void begin(const std::string& tail = "", const std::vector<std::pair<std::string, std::string>>& general = {})
    {
        test::oneDisplay(desktop);
        editor = test::launchApp(desktop, "org.example.Editor");
        window = test::openWindow(desktop, editor, "org.example.Editor", Frame { 100, 100, 300, 300 });
        startWith(test::configText(general, tail));
        settle();
    }

    void open(SettingsTab tab = SettingsTab::general)
    {
        model->showSettings(tab);
        settle();
    }

    std::string value(const std::string& name)
    {
        const SettingsControl* control = windows.control(name);
        return control ? control->value : "<none>";
    }

    // Whether the config file holds `line` as a whole line.
    bool fileHas(const std::string& line)
    {
        return ("\n" + test::readFile(configPath())).find("\n" + line + "\n") != std::string::npos;
    }

    // The first cells of the rows of a tab's section.
    Lines rows(const std::string& page, const std::string& section)
    {
        Lines cells;
        for (const SettingsPage& shown : windows.form().pages) {
            for (const SettingsSection& part : shown.sections) {
                if (shown.key != page || part.key != section)
                    continue;
                for (const SettingsControl& control : part.controls) {
                    if (control.kind == SettingsControl::Kind::row)
                        cells.push_back(control.cells.front());
                }
            }
        }
        return cells;
    }

    int32_t editor = 0;
    WindowHandle window {};
};

TEST_F(SettingsWindowTest, OpensOnceOnTheAskedTabAndClosingLeavesTheApplication)
{
    begin();
    EXPECT_FALSE(windows.settingsOpen());
    open(SettingsTab::tiling);
    ASSERT_TRUE(windows.settingsOpen());
    EXPECT_EQ(windows.page(), "tiling");
    Lines titles;
    for (const SettingsPage& page : windows.form().pages)
        titles.push_back(page.title);
    EXPECT_EQ(titles, (Lines { "General", "Tiling", "Hotkeys", "Apps", "Agents" }));
    EXPECT_EQ(windows.form().title, "Quorvane Settings");

    // Asked again, the one window comes forward on the new tab; the tab the person turns to is remembered.
    open(SettingsTab::agents);
    EXPECT_EQ(windows.shows(), 2);
    EXPECT_EQ(windows.page(), "agents");
    windows.choosePage("hotkeys");
    EXPECT_EQ(model->settingsTab(), SettingsTab::hotkeys);

    windows.close();
    EXPECT_FALSE(model->settingsWindow()->isOpen());
    EXPECT_FALSE(desktop.loop.quitting());
    EXPECT_EQ(model->handleRPC({ "ping" }).exitCode, 0);
}

TEST_F(SettingsWindowTest, GeneralEditsSaveThroughTheUpdateOrShowItsRefusal)
{
    struct Case {
        std::string control, value;
        // A line the file holds afterwards, or the status line when the edit is refused.
        std::string saved, refused;
    };
    const Case cases[] = {
        { "Launch at login", "true", "launch_at_login = true", "" },
        { "Animate tiles", "false", "animate_tiles = false", "" },
        { "Web app window style", "standard", "window_style = \"standard\"", "" },
        { "Leader key", "caps", "leader_key = \"caps\"", "" },
        { "Leader key", "", "leader_key = \"\"", "" },
        // Recorded chords are checked here and saved canonical, with the grammar's and the table's own words.
        { "Tile mode chord", "Opt + Control + T", "tile_mode_hotkey = \"ctrl+opt+t\"", "" },
        { "Leader key", "hyperspace", "", "Use a key name such as caps for the leader key, or leave it empty." },
        { "Tile mode chord", "ctrl+opt+nope", "", "\u201cnope\u201d is not a key Quorvane can bind." },
        { "Cycle layouts chord", "ctrl+opt+a", "", "ctrl+opt+a is used by Quorvane itself. It fires the agent." },
    };
    begin();
    open();
    for (const Case& c : cases) {
        std::string before = test::readFile(configPath());
        ASSERT_TRUE(edit(c.control, c.value)) << c.control;
        if (c.refused.empty()) {
            EXPECT_TRUE(fileHas(c.saved)) << c.control << " " << c.value;
            EXPECT_EQ(windows.form().status, "") << c.control;
        } else {
            EXPECT_EQ(test::readFile(configPath()), before) << c.control << " " << c.value;
            EXPECT_EQ(windows.form().status, c.refused) << c.control << " " << c.value;
            EXPECT_EQ(windows.form().statusTone, MenuTone::failure);
        }
    }
    // The running hotkeys follow at once.
    EXPECT_TRUE(desktop.hotkeys.press(test::keyChord("ctrl+opt+t")));
    settle();
    EXPECT_TRUE(model->tileMode());

    // The permission rows are the doctor's.
    bool windowControl = false;
    for (const SettingsSection& section : windows.form().pages.front().sections) {
        for (const SettingsControl& control : section.controls)
            windowControl = windowControl || control.key == "general.permission:window-control";
    }
    EXPECT_TRUE(windowControl);
}

TEST_F(SettingsWindowTest, TheGapAndTileChordsSaveAndTheNextTileUsesTheGap)
{
    begin();
    open(SettingsTab::tiling);
    EXPECT_EQ(value("Gap preset"), "none");
    ASSERT_TRUE(edit("Tile gap", "12"));
    EXPECT_TRUE(fileHas("tile_gap = 12"));
    EXPECT_EQ(value("Gap preset"), "custom");
    ASSERT_TRUE(edit("Gap preset", "medium"));
    EXPECT_TRUE(fileHas("tile_gap = 16"));
    EXPECT_EQ(value("Tile gap"), "16");

    EXPECT_EQ(model->handleRPC({ "tile", "org.example.Editor", "left-half" }).exitCode, 0);
    desktop.advance(1);
    EXPECT_EQ(test::frameOf(desktop, window), (Frame { 16, 16, 476, 768 }));

    const SettingsControl* chord = windows.control("Focus left chord");
    ASSERT_NE(chord, nullptr);
    EXPECT_EQ(chord->hint, "Default: ctrl+opt+left");
    ASSERT_TRUE(edit("Focus left chord", " ctrl+opt+cmd+y "));
    EXPECT_TRUE(fileHas("focus_left = \"ctrl+opt+cmd+y\""));
    EXPECT_EQ(value("Focus left chord"), "ctrl+opt+cmd+y");
}

TEST_F(SettingsWindowTest, RulesAreAddedTypedOrPickedAndRemoved)
{
    begin(
        "[apps.notes]\nurl = \"https://notes.example.com/\"\nname = \"Notes\"\nbundle_id = \"app.quorvane.web.notes\"\n"
        "tile = \"right-half\"\n");
    open(SettingsTab::tiling);
    EXPECT_EQ(rows("tiling", "tiling.rules"), Lines { "Notes" });

    // Picking: the clicked window's application, as the census knows it.
    ASSERT_TRUE(press("Pick a window"));
    EXPECT_TRUE(desktop.windowSystem.picking());
    EXPECT_FALSE(windows.control("Pick a window")->enabled);
    EXPECT_FALSE(press("Pick a window"));
    desktop.windowSystem.finishPick(window);
    settle();
    EXPECT_EQ(value("Rule app"), "org.example.Editor");
    ASSERT_TRUE(edit("Rule tile", "top-half"));
    ASSERT_TRUE(edit("Rule display", "1"));
    ASSERT_TRUE(press("Add Rule"));
    EXPECT_EQ(windows.form().status, "org.example.Editor opens on top-half.");
    EXPECT_TRUE(fileHas("bundle = \"org.example.Editor\""));
    EXPECT_TRUE(fileHas("display = 1"));
    EXPECT_EQ(value("Rule app"), "");
    EXPECT_EQ(rows("tiling", "tiling.rules"), (Lines { "org.example.Editor", "Notes" }));

    struct PickCase {
        std::string name;
        std::optional<WindowHandle> clicked;
        std::string status;
    };
    SimulatedWindow own;
    own.facts = WindowFacts { {}, "", 1, "quorvane", "Quorvane Settings", Frame { 0, 0, 10, 10 }, WindowKind::standard,
        false, false, true, true };
    WindowHandle ownWindow = desktop.windowSystem.addWindow(own);
    SimulatedWindow anonymous;
    anonymous.facts.frame = Frame { 0, 0, 10, 10 };
    WindowHandle nameless = desktop.windowSystem.addWindow(anonymous);
    const PickCase picks[] = {
        { "cancelled", std::nullopt, "" },
        { "own window", ownWindow, "That is one of Quorvane's own windows. Pick another app's window." },
        { "no id", nameless, "Quorvane cannot tell which app that window belongs to. Type the app's id instead." },
    };
    for (const PickCase& c : picks) {
        model->setBanner("", false);
        ASSERT_TRUE(press("Pick a window")) << c.name;
        desktop.windowSystem.finishPick(c.clicked);
        settle();
        EXPECT_EQ(value("Rule app"), "") << c.name;
        EXPECT_EQ(windows.form().status, c.status) << c.name;
        EXPECT_TRUE(windows.control("Pick a window")->enabled) << c.name;
    }

    ASSERT_TRUE(press("Add Rule"));
    EXPECT_EQ(windows.form().status, "A rule needs an app: type its id, or pick one of its windows.");
    ASSERT_TRUE(edit("Rule app", "nowhere"));
    ASSERT_TRUE(press("Add Rule"));
    EXPECT_EQ(windows.form().status, "No app named nowhere.");
    EXPECT_EQ(value("Rule app"), "nowhere");

    ASSERT_TRUE(press("Remove the rule for org.example.Editor"));
    EXPECT_EQ(windows.form().status, "Removed the rule for org.example.Editor.");
    ASSERT_TRUE(press("Remove the rule for Notes"));
    EXPECT_EQ(rows("tiling", "tiling.rules"), Lines {});
    EXPECT_FALSE(fileHas("tile = \"right-half\""));
}

TEST_F(SettingsWindowTest, LayoutsApplyFromTheirRows)
{
    begin("[layouts.work]\n\"org.example.Editor\" = \"right-half\"\n", { { "animate_tiles", "false" } });
    open(SettingsTab::tiling);
    EXPECT_EQ(rows("tiling", "tiling.layouts"), Lines { "work" });
    ASSERT_TRUE(press("Apply layout work"));
    EXPECT_EQ(windows.form().status, "Applied work.");
    EXPECT_EQ(windows.form().statusTone, MenuTone::success);
    EXPECT_EQ(test::frameOf(desktop, window), (Frame { 500, 0, 500, 800 }));
}

TEST_F(SettingsWindowTest, TheAgentCommandKeepsItsTypingAndSkillsInstall)
{
    begin();
    open(SettingsTab::agents);
    ASSERT_TRUE(edit("Agent command", "aider --model \"gpt 4\""));
    EXPECT_TRUE(fileHas("agent_command = [\"aider\", \"--model\", \"gpt 4\"]"));
    EXPECT_EQ(value("Agent command"), "aider --model \"gpt 4\"");
    EXPECT_EQ(windows.control("Agent command")->hint, "Runs 'aider' '--model' 'gpt 4' in the config folder.");
    // Changed elsewhere, the field shows the words in force.
    test::writeFile(configPath(), test::configText({ { "agent_command", "[\"claude\", \"--x\", \"a b\"]" } }));
    desktop.advance(1);
    settle();
    EXPECT_EQ(value("Agent command"), "claude --x 'a b'");

    std::vector<std::string> terminals;
    for (const SettingsChoice& choice : windows.control("Terminal")->choices)
        terminals.push_back(choice.id);
    EXPECT_EQ(terminals.back(), "com.apple.Terminal");

    // A relative folder would land in the application's working folder.
    ASSERT_TRUE(edit("Another skill folder", "agent/skills"));
    ASSERT_TRUE(press("Add the skill folder"));
    EXPECT_EQ(windows.form().status, "Give the skill folder as a full path, such as ~/agents/skills.");
    EXPECT_TRUE(model->config().agents.customFolders.empty());

    std::string folder = home.path() + "/agent/skills";
    std::filesystem::create_directories(home.path() + "/agent");
    ASSERT_TRUE(edit("Another skill folder", folder));
    ASSERT_TRUE(press("Add the skill folder"));
    EXPECT_EQ(model->config().agents.customFolders, Lines { folder });
    ASSERT_TRUE(press("Install the skill in " + folder));
    EXPECT_EQ(windows.form().status, "Installed the Quorvane skill in " + folder + ".");
    EXPECT_EQ(windows.form().statusTone, MenuTone::success);
    EXPECT_TRUE(std::filesystem::exists(folder + "/quorvane/SKILL.md"));
    EXPECT_NE(windows.control("Uninstall the skill from " + folder), nullptr);
    EXPECT_EQ(windows.control("Install the skill in " + folder), nullptr);
    ASSERT_TRUE(press("Uninstall the skill from " + folder));
    EXPECT_FALSE(std::filesystem::exists(folder + "/quorvane"));
}

TEST_F(SettingsWindowTest, FollowsTheConfigurationAndTheBannerWhileOpen)
{
    begin();
    open(SettingsTab::hotkeys);
    int updates = windows.updates();
    EXPECT_EQ(model->handleRPC({ "hotkey", "set", "ctrl+opt+e", "org.example.Editor" }).exitCode, 0);
    settle();
    EXPECT_EQ(rows("hotkeys", "hotkeys.list"), Lines { "Editor" });
    EXPECT_EQ(windows.updates(), updates + 1);

    test::writeFile(configPath(), test::configText({ { "tile_gap", "24" } }));
    desktop.advance(1);
    settle();
    EXPECT_EQ(value("Tile gap"), "24");
    EXPECT_EQ(value("Gap preset"), "large");

    test::writeFile(configPath(), "tile_gap = \"");
    desktop.advance(1);
    settle();
    EXPECT_EQ(windows.form().status, "config.toml could not be read. The last good copy is still in use.");

    // Closed, it follows nothing.
    windows.close();
    updates = windows.updates();
    model->setBanner("elsewhere", true);
    settle();
    EXPECT_EQ(windows.updates(), updates);
}

TEST_F(SettingsWindowTest, TheApplicationsOwnKeysActInItsWindowsAndOthersPass)
{
    using Modifiers = std::set<HotkeyModifier>;
    const Modifiers ctrl { HotkeyModifier::ctrl };
    struct Case {
        Modifiers modifiers;
        std::string character;
        bool swallowed, open, minimised, quits;
    };
    const Case cases[] = {
        { ctrl, ",", true, true, false, false },
        { ctrl, "m", true, true, true, false },
        { ctrl, "w", true, false, false, false },
        { ctrl, "a", false, true, false, false },
        { { HotkeyModifier::ctrl, HotkeyModifier::shift }, "w", false, true, false, false },
        { {}, "w", false, true, false, false },
        { ctrl, "q", true, true, false, true },
    };
    begin();
    for (const Case& c : cases) {
        open(SettingsTab::tiling);
        EXPECT_EQ(windows.type(OwnKeyPress { c.modifiers, c.character }), c.swallowed) << c.character;
        settle();
        EXPECT_EQ(windows.settingsOpen(), c.open) << c.character;
        EXPECT_EQ(windows.minimised(), c.minimised) << c.character;
        EXPECT_EQ(desktop.loop.quitting(), c.quits) << c.character;
    }
    // Swallowed with nothing to act on.
    EXPECT_TRUE(windows.type(OwnKeyPress { ctrl, "w" }));
}

TEST_F(SettingsWindowTest, TheCheatSheetOpensTheGeneralTabWhileTheBareKeysWait)
{
    desktop.permissions.setInputMonitoring(false);
    begin();
    model->tiling().toggleTileMode();
    auto sheet = desktop.overlay.shown(PanelKind::cheatSheet);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->content.button, "Open Settings");
    ASSERT_TRUE(desktop.overlay.pressButton(PanelKind::cheatSheet));
    settle();
    EXPECT_FALSE(model->tileMode());
    EXPECT_TRUE(windows.settingsOpen());
    EXPECT_EQ(windows.page(), "general");

    // With the bare keys working the sheet has no button.
    desktop.permissions.setInputMonitoring(true);
    model->tiling().toggleTileMode();
    EXPECT_EQ(desktop.overlay.shown(PanelKind::cheatSheet)->content.button, "");
}

} // namespace
} // namespace quorvane
