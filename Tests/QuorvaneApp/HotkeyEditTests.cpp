#include "KeysTesting.h"

#include "Configuration/QuorvaneConfig.h"

namespace quorvane {
namespace {

const std::string terminal = "org.example.Terminal";

class HotkeyEdits : public test::KeysTest {
protected:
    void startWithHotkeys(const std::string& hotkeys)
    {
        startWith(test::configText({},
            "\n[hotkeys]\n" + hotkeys
                + "\n[apps.notes]\nurl = \"https://notes.example.com\"\nname = \"Notes\"\n"
                  "bundle_id = \"com.quorvane.webapp.notes\"\nhotkey = \"ctrl+opt+o\"\n"));
    }

    std::vector<NativeHotkey> hotkeys() { return model->config().hotkeys; }
    std::optional<std::string> notesHotkey() { return model->config().apps.at(0).spec.hotkey; }

    void expectBanner(const std::string& text, bool success)
    {
        EXPECT_EQ(model->banner(), text);
        EXPECT_EQ(model->bannerIsSuccess(), success);
    }
};

TEST_F(HotkeyEdits, EachEditReportsTheCommandsOwnOutcome)
{
    struct Case {
        const char* name;
        std::function<void(AppModel&)> edit;
        std::string banner;
        bool success;
        std::vector<NativeHotkey> hotkeys;
    };
    const std::vector<NativeHotkey> before { { "ctrl+opt+t", terminal } };
    const Case cases[] = {
        { "set", [](AppModel& m) { m.hotkeyEdits().setNativeHotkey("opt+ctrl+y", terminal); },
            "\u2303\u2325Y \u2192 org.example.Terminal", true,
            { { "ctrl+opt+t", terminal }, { "ctrl+opt+y", terminal } } },
        { "set a reserved chord", [](AppModel& m) { m.hotkeyEdits().setNativeHotkey("cmd+space", terminal); },
            "macOS uses this chord. Pick another chord.", false, before },
        { "unset", [](AppModel& m) { m.hotkeyEdits().unsetHotkey("ctrl+opt+t"); }, "Removed ctrl+opt+t.", true, {} },
        { "unset an unknown chord", [](AppModel& m) { m.hotkeyEdits().unsetHotkey("ctrl+opt+q"); }, "No hotkey ctrl+opt+q.", false,
            before },
        { "replace", [](AppModel& m) { m.hotkeyEdits().replaceNativeHotkey("ctrl+opt+t", "ctrl+opt+y", terminal); },
            "\u2303\u2325Y \u2192 org.example.Terminal", true, { { "ctrl+opt+y", terminal } } },
        { "replace by a blank chord", [](AppModel& m) { m.hotkeyEdits().replaceNativeHotkey("ctrl+opt+t", "   ", terminal); },
            "A hotkey needs a chord and an app.", false, before },
        { "replace for a blank app", [](AppModel& m) { m.hotkeyEdits().replaceNativeHotkey("ctrl+opt+t", "ctrl+opt+y", " \n"); },
            "A hotkey needs a chord and an app.", false, before },
    };
    for (const Case& c : cases) {
        model.reset();
        startWithHotkeys("\"ctrl+opt+t\" = \"org.example.Terminal\"\n");
        c.edit(*model);
        EXPECT_EQ(model->banner(), c.banner) << c.name;
        EXPECT_EQ(model->bannerIsSuccess(), c.success) << c.name;
        EXPECT_EQ(hotkeys(), c.hotkeys) << c.name;
    }
}

TEST_F(HotkeyEdits, AReplacementThatFailsKeepsTheOldHotkey)
{
    startWithHotkeys("\"ctrl+opt+t\" = \"org.example.Terminal\"\n\"ctrl+opt+b\" = \"org.example.Browser\"\n");
    const char* refused[] = { "cmd+space", "ctrl+opt+b", "ctrl+opt+nosuchkey" };
    for (const char* chord : refused) {
        model->hotkeyEdits().replaceNativeHotkey("ctrl+opt+t", chord, terminal);
        EXPECT_FALSE(model->bannerIsSuccess()) << chord;
        EXPECT_EQ(hotkeys().at(0), (NativeHotkey { "ctrl+opt+t", terminal })) << chord;
    }
    EXPECT_TRUE(desktop.hotkeys.press(test::keyChord("ctrl+opt+t")));
}

TEST_F(HotkeyEdits, TheSameChordWrittenDifferentlyIsNotRemoved)
{
    startWithHotkeys("\"opt+cmd+m\" = \"org.example.Terminal\"\n");
    model->hotkeyEdits().replaceNativeHotkey("opt+cmd+m", "cmd+opt+m", terminal);
    expectBanner("\u2325\u2318M \u2192 org.example.Terminal", true);
    EXPECT_EQ(hotkeys(), (std::vector<NativeHotkey> { { "opt+cmd+m", terminal } }));
    EXPECT_TRUE(desktop.hotkeys.press(test::keyChord("opt+cmd+m")));
}

TEST_F(HotkeyEdits, AWebAppRowEditsTheWebAppsHotkey)
{
    startWithHotkeys("");
    SavedShortcut row;
    row.kind = SavedShortcutKind::webApp;
    row.slug = "notes";
    model->hotkeyEdits().setShortcutHotkey(row, "ctrl+opt+p");
    EXPECT_EQ(notesHotkey(), "ctrl+opt+p");
    model->hotkeyEdits().setShortcutHotkey(row, " \t");
    EXPECT_EQ(notesHotkey(), std::nullopt);
    EXPECT_EQ(test::readFile(configPath()).find("ctrl+opt+p"), std::string::npos);
    row.slug = "missing";
    model->hotkeyEdits().setShortcutHotkey(row, "ctrl+opt+p");
    EXPECT_EQ(notesHotkey(), std::nullopt);
}

TEST_F(HotkeyEdits, AnApplicationRowReplacesOrRemovesItsHotkey)
{
    startWithHotkeys("\"ctrl+opt+t\" = \"org.example.Terminal\"\n");
    SavedShortcut row;
    row.kind = SavedShortcutKind::appHotkey;
    row.hotkey = "ctrl+opt+t";
    row.bundleIdentifier = terminal;
    model->hotkeyEdits().setShortcutHotkey(row, "  ctrl+opt+y ");
    EXPECT_EQ(hotkeys(), (std::vector<NativeHotkey> { { "ctrl+opt+y", terminal } }));
    row.hotkey = "ctrl+opt+y";
    model->hotkeyEdits().setShortcutHotkey(row, "");
    EXPECT_TRUE(hotkeys().empty());
    expectBanner("Removed ctrl+opt+y.", true);
}

} // namespace
} // namespace quorvane
