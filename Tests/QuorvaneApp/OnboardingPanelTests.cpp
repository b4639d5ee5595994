#include "KeysTesting.h"

#include "QuorvaneApp/Views/KeyCaps.h"
#include "QuorvaneApp/Views/OnboardingPanel.h"
#include "QuorvaneApp/Views/StatusMenu.h"
#include "Setup/SetupStep.h"

#include <filesystem>

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// The model on the sample scene with the panel as the person sees it; the command and its link places
// live in the test's home.
class OnboardingTest : public test::KeysTest {
public:
    std::string command = home.file("opt/quorvane/quorvane");
    std::string link = home.file("bin/quorvane");

    OnboardingTest()
    {
        desktop.permissions.setWindowControl(true);
        environment.cliCommands = { command };
        environment.cliLinks = { link };
    }

    SimulatedAppWindows& windows() { return desktop.appWindows; }
    const OnboardingForm& form() { return windows().onboarding(); }

    // Presses a button of the panel and lets the main loop finish what it started.
    bool press(const std::string& name)
    {
        bool pressed = windows().pressOnboarding(name);
        desktop.loop.runPending();
        return pressed;
    }

    bool enabled(const std::string& name)
    {
        const SettingsControl* found = windows().onboardingControl(name);
        return found && found->enabled;
    }

    // The text of the panel's note with this key, or "-" when it has none.
    std::string note(const std::string& key)
    {
        for (const SettingsSection& section : form().sections) {
            for (const SettingsControl& control : section.controls) {
                if (control.key == key)
                    return control.value;
            }
        }
        return "-";
    }

    void makeCommand()
    {
        fs::create_directories(fs::path(command).parent_path());
        writeFile(command, "#!/bin/sh\n");
        fs::permissions(command, fs::perms(0755));
    }

    AppModel& launch(const std::string& text = test::configText({}))
    {
        startWith(text);
        model->finishLaunch();
        desktop.loop.runPending();
        return *model;
    }
};

TEST_F(OnboardingTest, ContinueWalksTheSixStepsAndBackReturns)
{
    struct Step {
        const char* eyebrow;
        const char* heading;
        bool backEnabled;
        const char* forward;
    };
    const Step steps[] = {
        { "STEP 1 OF 6", "Welcome", false, "Continue" },
        { "STEP 2 OF 6", "Window control", true, "Continue" },
        { "STEP 3 OF 6", "Command line", true, "Continue" },
        { "STEP 4 OF 6", "Skill file", true, "Continue" },
        { "STEP 5 OF 6", "Agent hotkey", true, "Continue" },
        { "STEP 6 OF 6", "Done", true, "Done" },
    };
    launch();
    ASSERT_TRUE(windows().onboardingOpen());
    EXPECT_EQ(form().title, "Quorvane Setup");
    for (size_t at = 0; at < std::size(steps); ++at) {
        const Step& step = steps[at];
        EXPECT_EQ(form().eyebrow, step.eyebrow);
        EXPECT_EQ(form().heading, step.heading) << step.eyebrow;
        EXPECT_EQ(enabled("Back"), step.backEnabled) << step.eyebrow;
        EXPECT_TRUE(enabled(step.forward)) << step.eyebrow;
        if (at > 0) {
            // Back and Continue again land on the same step.
            ASSERT_TRUE(press("Back"));
            EXPECT_EQ(form().eyebrow, steps[at - 1].eyebrow);
            ASSERT_TRUE(press("Continue"));
            EXPECT_EQ(form().eyebrow, step.eyebrow);
        }
        if (at + 1 < std::size(steps)) {
            ASSERT_TRUE(press("Continue")) << step.eyebrow;
        }
    }
    EXPECT_EQ(windows().onboardingControl("Continue"), nullptr);
}

TEST_F(OnboardingTest, TheWindowControlStepContinuesOnlyOnceWindowsCanBeMoved)
{
    desktop.permissions.setWindowControl(false);
    launch();
    model->showOnboarding(rawValue(SetupStep::accessibility));
    EXPECT_FALSE(enabled("Continue"));
    EXPECT_FALSE(press("Continue"));
    EXPECT_EQ(form().eyebrow, "STEP 2 OF 6");
    EXPECT_EQ(note("onboarding.check:window-control"), "Quorvane may not move windows.");

    // The step reads the rows again every second, with no action of the person.
    desktop.permissions.setWindowControl(true);
    desktop.advance(OnboardingPanel::recheckSeconds);
    EXPECT_TRUE(enabled("Continue"));
    EXPECT_EQ(note("onboarding.check:window-control"), "Quorvane can move windows.");
    EXPECT_TRUE(model->accessibilityOn());
    EXPECT_TRUE(press("Continue"));
    EXPECT_EQ(form().eyebrow, "STEP 3 OF 6");
}

TEST_F(OnboardingTest, DoneSavesTheFlagAndTheNextStartAsksNothing)
{
    launch();
    model->showOnboarding(rawValue(SetupStep::done));
    ASSERT_TRUE(press("Done"));
    EXPECT_FALSE(windows().onboardingOpen());
    EXPECT_TRUE(model->config().general.onboardingComplete);
    EXPECT_NE(readFile(configPath()).find("onboarding_complete = true"), std::string::npos);

    model.reset();
    int shows = windows().onboardingShows();
    start().finishLaunch();
    EXPECT_EQ(windows().onboardingShows(), shows);
    EXPECT_EQ(model->onboardingStep(), std::nullopt);
}

TEST_F(OnboardingTest, TheCommandLineStepSaysWhereTheCommandIsAndLinksIt)
{
    struct Case {
        const char* name;
        bool built;
        bool onPath;
        const char* pathNote;
        bool linkButton;
    };
    const Case cases[] = {
        { "built, not on the PATH", true, false, "quorvane is not on your PATH yet.", true },
        { "built and on the PATH", true, true, "", false },
        { "not built", false, false, "The quorvane command is not in this build.", false },
    };
    for (const Case& c : cases) {
        model.reset();
        fs::remove_all(home.file("opt"));
        if (c.built)
            makeCommand();
        environment.searchPath = c.onPath ? "relative:" + fs::path(command).parent_path().string() : "/nowhere";
        launch();
        model->showOnboarding(rawValue(SetupStep::commandLine));
        std::string expected = c.onPath
            ? "quorvane is already on your PATH at " + command + ". Try quorvane help in a terminal."
            : c.pathNote;
        EXPECT_EQ(note("onboarding.on-path"), expected) << c.name;
        EXPECT_EQ(windows().onboardingControl("Link the quorvane command") != nullptr, c.linkButton) << c.name;
    }

    // Linking says where, and the link leads to the command.
    model.reset();
    makeCommand();
    environment.searchPath = "/nowhere";
    launch();
    model->showOnboarding(rawValue(SetupStep::commandLine));
    ASSERT_TRUE(press("Link the quorvane command"));
    EXPECT_EQ(note("onboarding.link-message"), "Linked quorvane at " + link);
    EXPECT_EQ(fs::read_symlink(link), command);
}

TEST_F(OnboardingTest, AChordPressedOnWelcomeLightsUpAndStillActsOnTheFrontWindow)
{
    launch();
    ASSERT_EQ(form().eyebrow, "STEP 1 OF 6");
    ASSERT_FALSE(form().chords.empty());
    EXPECT_TRUE(std::none_of(
        form().chords.begin(), form().chords.end(), [](const OnboardingChord& chord) { return chord.lit; }));
    auto fill = std::find_if(form().chords.begin(), form().chords.end(),
        [](const OnboardingChord& chord) { return chord.action == "Fill screen"; });
    ASSERT_NE(fill, form().chords.end());
    EXPECT_EQ(fill->caps, (std::vector<std::string> { "Ctrl", "Alt", "F" }));
    std::string chord = fill->id;

    size_t writes = desktop.windowSystem.writes().size();
    ASSERT_TRUE(desktop.hotkeys.press(test::keyChord(chord)));
    desktop.advance(1);
    auto lit = std::find_if(
        form().chords.begin(), form().chords.end(), [](const OnboardingChord& shown) { return shown.lit; });
    ASSERT_NE(lit, form().chords.end());
    EXPECT_EQ(lit->id, chord);
    EXPECT_EQ(form().pressedNote, "You pressed Ctrl+Alt+F: Fill screen.");
    EXPECT_GT(desktop.windowSystem.writes().size(), writes);

    // On another step nothing lights up.
    ASSERT_TRUE(press("Continue"));
    ASSERT_TRUE(desktop.hotkeys.press(test::keyChord(chord)));
    desktop.advance(1);
    EXPECT_TRUE(form().chords.empty());
    EXPECT_EQ(form().pressedNote, "");
}

TEST_F(OnboardingTest, ClosingTheRegrantEndsItButQuittingSkipsTheCloseTimeActions)
{
    for (bool quitting : { false, true }) {
        model.reset();
        desktop.permissions.setWindowControl(false);
        launch(test::configText({ { "onboarding_complete", "true" } }));
        ASSERT_EQ(model->onboardingStep(), rawValue(SetupStep::accessibility)) << quitting;
        ASSERT_TRUE(model->regrantingAccessibility());
        if (quitting)
            model->beginQuitting();
        else
            windows().closeOnboardingByPerson();
        EXPECT_FALSE(windows().onboardingOpen()) << quitting;
        EXPECT_EQ(model->regrantingAccessibility(), quitting);
    }
}

TEST_F(OnboardingTest, TheTrayOpensTheGuideAtWelcome)
{
    launch(test::configText({ { "onboarding_complete", "true" } }));
    ASSERT_FALSE(windows().onboardingOpen());
    model->statusMenu()->choose(StatusMenu::setupGuideKey);
    EXPECT_EQ(form().eyebrow, "STEP 1 OF 6");
    ASSERT_TRUE(press("Continue"));
    // Asked again while open, it turns back to the first step.
    model->statusMenu()->choose(StatusMenu::setupGuideKey);
    EXPECT_EQ(form().eyebrow, "STEP 1 OF 6");
}

TEST_F(OnboardingTest, TheAgentStepSavesThroughTheGeneralSettings)
{
    launch();
    model->showOnboarding(rawValue(SetupStep::agentHotkey));
    ASSERT_TRUE(windows().editOnboarding("Agent chord", "ctrl+opt+shift+g"));
    desktop.loop.runPending();
    EXPECT_EQ(model->config().general.agentHotkey, "ctrl+opt+shift+g");
    EXPECT_EQ(windows().onboardingControl("Agent chord")->value, "ctrl+opt+shift+g");
    // A chord already taken is refused with the settings' own sentence, naming what holds it.
    ASSERT_TRUE(windows().editOnboarding("Agent chord", "ctrl+opt+k"));
    desktop.loop.runPending();
    EXPECT_EQ(model->config().general.agentHotkey, "ctrl+opt+shift+g");
    EXPECT_EQ(form().status, "ctrl+opt+k is used by Quorvane itself. It fires the tile key Focus up.");

    model->showOnboarding(rawValue(SetupStep::skillFile));
    EXPECT_EQ(form().sections.size(), 1u);
    EXPECT_EQ(form().sections.front().key, "agents.skills");
}

TEST_F(OnboardingTest, WindowStyleReachesTheWindowsOpenedNext)
{
    const std::pair<const char*, WindowChrome> cases[] = {
        { "\"standard\"", WindowChrome::standard },
        { "\" MacOS \"", WindowChrome::standard },
        { "\"slim\"", WindowChrome::slim },
        { "\"fancy\"", WindowChrome::slim },
    };
    for (const auto& [value, chrome] : cases) {
        model.reset();
        std::string text = test::configText({});
        text.insert(text.find("[general]\n") + 10, "window_style = " + std::string(value) + "\n");
        startWith(text);
        EXPECT_EQ(windows().chrome(), chrome) << value;
    }
    // A change saved while running reaches the windows opened from then on.
    GeneralConfig general = model->config().general;
    general.windowChrome = WindowChrome::standard;
    model->setGeneral(general);
    EXPECT_EQ(windows().chrome(), WindowChrome::standard);
}

TEST(KeyCaps, ChordsReadAsAPCKeyboardLabelsThem)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        { "ctrl+opt+left", { "Ctrl", "Alt", "\u2190" } },
        { "cmd+shift+k", { "Shift", "Super", "K" } },
        { "ctrl+opt+1", { "Ctrl", "Alt", "1" } },
        { "not a chord at all", {} },
        { "", {} },
    };
    for (const auto& [chord, caps] : cases)
        EXPECT_EQ(KeyCaps::of(chord), caps) << chord;
    EXPECT_EQ(KeyCaps::spoken("ctrl+opt+cmd+l"), "Ctrl+Alt+Super+L");
    EXPECT_EQ(KeyCaps::spoken("not a chord"), "not a chord");
}

} // namespace
} // namespace quorvane
