#include "KeysTesting.h"

#include "Agents/ShellQuote.h"
#include "QuorvaneApp/Agents/AgentLauncher.h"

#include <filesystem>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

const std::string konsole = "org.kde.konsole";

class AgentLauncherTest : public test::KeysTest {
protected:
    void startWithAgent(const std::string& command, const std::string& terminal)
    {
        startWith(test::configText({ { "agent_command", command }, { "terminal_bundle_id", "\"" + terminal + "\"" } }));
    }

    std::optional<std::string> toast()
    {
        auto shown = desktop.overlay.shown(PanelKind::toast);
        return shown ? std::optional(shown->content.title) : std::nullopt;
    }
};

TEST_F(AgentLauncherTest, TheAgentHotkeyWritesTheScriptAndRunsItInTheChosenTerminal)
{
    desktop.applications.install(konsole, "/usr/share/applications/org.kde.konsole.desktop");
    startWithAgent("[\"/usr/local/bin/claude\", \"--model\", \"it's big\"]", konsole);
    ASSERT_TRUE(desktop.hotkeys.press(test::keyChord("ctrl+opt+a")));
    desktop.loop.runPending();

    const std::string script = model->paths().commandFile();
    EXPECT_EQ(test::readFile(script),
        ShellQuote::launchScript(model->paths().configDirectory(), { "/usr/local/bin/claude", "--model", "it's big" }));
    EXPECT_EQ(fs::status(script).permissions() & fs::perms::all, fs::perms(0755));
    using Run = SimulatedApplications::TerminalRun;
    EXPECT_EQ(desktop.applications.terminalRuns(),
        (std::vector<Run> { Run { script, "/usr/share/applications/org.kde.konsole.desktop" } }));
    EXPECT_EQ(toast(), "Opening claude in Konsole");
    desktop.advance(3.1);
    EXPECT_TRUE(toast());
    desktop.advance(0.2);
    EXPECT_FALSE(toast());
}

TEST_F(AgentLauncherTest, AMissingTerminalLeavesTheScriptToTheDefaultOne)
{
    startWithAgent("[\"claude\"]", konsole);
    model->agents().launchAgent();
    ASSERT_EQ(desktop.applications.terminalRuns().size(), 1u);
    EXPECT_EQ(desktop.applications.terminalRuns()[0].terminalLocation, std::nullopt);
    EXPECT_EQ(toast(), "Opening claude in Konsole");
}

TEST_F(AgentLauncherTest, TheToastNamesTheTerminalByCatalogueElseByIdentifier)
{
    const std::pair<std::string, std::string> cases[] = {
        { "", "Terminal" },
        { "org.gnome.Terminal", "GNOME Terminal" },
        { "Alacritty", "Alacritty" },
        { "org.codeberg.dnkl.foot", "org.codeberg.dnkl.foot" },
        { "/usr/share/applications/foot.desktop", "foot.desktop" },
    };
    for (const auto& [identifier, name] : cases)
        EXPECT_EQ(AgentLauncher::terminalName(identifier), name) << identifier;
    EXPECT_EQ(AgentLauncher::commandName({ "/opt/agents/bin/codex", "--full-auto" }), "codex");
}

TEST_F(AgentLauncherTest, AFailureGoesToTheBannerAndOpensTheAgentsTab)
{
    struct Case {
        const char* name;
        std::string command;
        std::function<void(AgentLauncherTest&)> prepare;
        std::string bannerStart;
    };
    const Case cases[] = {
        { "no command", "[]", [](auto&) {}, "Set an agent command in Settings." },
        // The script is written, but nothing can run it: no toast claims that it opens.
        { "no terminal starts", "[\"claude\"]", [](auto& t) { t.desktop.applications.setTerminalStarts(false); },
            "No terminal could be started for the agent command." },
        { "the script's folder is a file", "[\"claude\"]",
            [](auto& t) {
                fs::path folder = fs::path(t.model->paths().commandFile()).parent_path();
                fs::remove_all(folder);
                fs::create_directories(folder.parent_path());
                test::writeFile(folder, "in the way");
            },
            "" },
    };
    for (const Case& c : cases) {
        desktop.applications.setTerminalStarts(true);
        model.reset();
        startWithAgent(c.command, konsole);
        c.prepare(*this);
        model->keys().performToken("quorvane.agent");
        EXPECT_TRUE(model->banner().starts_with(c.bannerStart) && !model->banner().empty()) << c.name;
        EXPECT_FALSE(model->bannerIsSuccess()) << c.name;
        EXPECT_EQ(model->settingsTab(), SettingsTab::agents) << c.name;
        EXPECT_TRUE(desktop.applications.terminalRuns().empty()) << c.name;
        EXPECT_FALSE(toast()) << c.name;
    }
}

TEST_F(AgentLauncherTest, TheGuidesChoiceIsSavedWithATrimmedTerminal)
{
    startWithAgent("[]", konsole);
    model->agents().applyAgentSetup({ "codex", "--full-auto" }, " org.alacritty\n");
    EXPECT_EQ(model->config().general.agentCommand, (std::vector<std::string> { "codex", "--full-auto" }));
    EXPECT_EQ(model->config().general.terminalBundleIdentifier, "org.alacritty");
    model->agents().applyAgentSetup({ "claude" }, " \n");
    EXPECT_EQ(model->config().general.agentCommand, std::vector<std::string> { "claude" });
    EXPECT_EQ(model->config().general.terminalBundleIdentifier, "org.alacritty");
    EXPECT_NE(test::readFile(configPath()).find("agent_command = [\"claude\"]"), std::string::npos);
}

} // namespace
} // namespace quorvane
