#include "Configuration/ConfigFile.h"

#include "Configuration/DefaultConfig.h"
#include "Configuration/QuorvaneConfig.h"
#include "Support/QuorvaneError.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

// Applies `edit` to the file read from `before` and compares the whole rendered text.
void expectEdit(const std::string& before, const std::function<void(ConfigFile&)>& edit, const std::string& after)
{
    ConfigFile file(before);
    edit(file);
    EXPECT_EQ(file.text(), after);
}

// `text` with its first `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

const std::string defaults(DefaultConfig::text());

// The file every first run has written: a person's file may still hold exactly this text.
constexpr std::string_view firstRunFile =
    "# Quorvane keeps your setup in this file and reloads it when you save.\n"
    "# Comments stay in place when a value changes.\n"
    "\n"
    "version = 1\n"
    "\n"
    "[general]\n"
    "launch_at_login = false\n"
    "check_for_updates = true\n"
    "animate_tiles = true\n"
    "tile_gap = 0\n"
    "tile_mode_hotkey = \"ctrl+opt+space\"\n"
    "agent_hotkey_enabled = true\n"
    "agent_hotkey = \"ctrl+opt+a\"\n"
    "new_app_hotkey = \"ctrl+opt+n\"\n"
    "layout_hotkey = \"ctrl+opt+l\"\n"
    "cycle_windows = true\n"
    "hide_on_repeat = false\n"
    "# Set leader_key to \"caps\" for tap-then-a-letter hotkeys.\n"
    "leader_key = \"\"\n"
    "agent_command = []\n"
    "terminal_bundle_id = \"com.apple.Terminal\"\n"
    "auto_tile = false\n"
    "onboarding_complete = false\n"
    "\n"
    "# Chords that tile any time. focus_l is ctrl+opt+cmd+l because ctrl+opt+l cycles layouts.\n"
    "# [ and ] are stored as leftbracket and rightbracket.\n"
    "[tile_hotkeys]\n"
    "focus_left = \"ctrl+opt+left\"\n"
    "focus_down = \"ctrl+opt+down\"\n"
    "focus_up = \"ctrl+opt+up\"\n"
    "focus_right = \"ctrl+opt+right\"\n"
    "focus_h = \"ctrl+opt+h\"\n"
    "focus_j = \"ctrl+opt+j\"\n"
    "focus_k = \"ctrl+opt+k\"\n"
    "focus_l = \"ctrl+opt+cmd+l\"\n"
    "move_left = \"ctrl+opt+shift+left\"\n"
    "move_down = \"ctrl+opt+shift+down\"\n"
    "move_up = \"ctrl+opt+shift+up\"\n"
    "move_right = \"ctrl+opt+shift+right\"\n"
    "move_h = \"ctrl+opt+shift+h\"\n"
    "move_j = \"ctrl+opt+shift+j\"\n"
    "move_k = \"ctrl+opt+shift+k\"\n"
    "move_l = \"ctrl+opt+shift+l\"\n"
    "layout_1 = \"ctrl+opt+1\"\n"
    "layout_2 = \"ctrl+opt+2\"\n"
    "layout_3 = \"ctrl+opt+3\"\n"
    "layout_4 = \"ctrl+opt+4\"\n"
    "layout_5 = \"ctrl+opt+5\"\n"
    "layout_6 = \"ctrl+opt+6\"\n"
    "fill = \"ctrl+opt+f\"\n"
    "previous_display = \"ctrl+opt+leftbracket\"\n"
    "next_display = \"ctrl+opt+rightbracket\"\n"
    "exit_return = \"ctrl+opt+return\"\n"
    "exit_escape = \"ctrl+opt+escape\"\n"
    "\n"
    "[agents]\n"
    "installed = []\n"
    "custom_folders = []\n";

TEST(ConfigFile, TheDefaultFileIsTheFirstRunFileAndRendersBackByteForByte)
{
    EXPECT_EQ(defaults, firstRunFile);
    EXPECT_EQ(defaults.size(), 1571u);
    EXPECT_EQ(ConfigFile(defaults).text(), defaults);
}

TEST(ConfigFile, LineBreaksAreNormalisedBeforeParsing)
{
    EXPECT_EQ(ConfigFile("a = 1\r\nb = 2\rc = 3\r\n").text(), "a = 1\nb = 2\nc = 3\n");
    try {
        ConfigFile("a = 1\r\r\n[b\n");
        FAIL() << "no error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "Config line 3: A table header is missing ].");
    }
}

TEST(ConfigFile, TheDecodedConfigurationIsSharedUntilAnEdit)
{
    ConfigFile file = ConfigFile::makeDefault();
    auto first = file.decoded();
    ConfigFile copy = file;
    EXPECT_EQ(file.decoded(), first);
    EXPECT_EQ(copy.decoded(), first);

    const std::vector<std::function<void(ConfigFile&)>> edits = {
        [](ConfigFile& f) { f.setNativeHotkey("ctrl+opt+x", "com.example.editor"); },
        [](ConfigFile& f) { f.removeNativeHotkey("ctrl+opt+x"); },
        [](ConfigFile& f) { f.upsertLayout({ "work", { { "com.example.editor", "fill" } } }); },
        [](ConfigFile& f) { f.upsertLayout({ "work", {} }); },
    };
    for (const auto& edit : edits) {
        auto before = file.decoded();
        edit(file);
        EXPECT_NE(file.decoded(), before);
        EXPECT_EQ(*file.decoded(), ConfigFile(file.text()).decode());
    }
    // The copy keeps the configuration of its own text.
    EXPECT_EQ(copy.decoded(), first);
}

TEST(ConfigFile, SavingGeneralSettingsChangesOnlyTheirLinesAndAddsWindowStyleAboveTheTileChords)
{
    auto general = ConfigFile::makeDefault().decode().general;
    auto saved = replaced(defaults, "[tile_hotkeys]\n", "window_style = \"slim\"\n[tile_hotkeys]\n");
    expectEdit(
        defaults, [&](auto& file) { file.setGeneral(general); }, saved);

    general.tileGap = 12.5;
    general.agentCommand = { "codex", "--full-auto" };
    general.tileHotkeys = { { "fill", "ctrl+opt+g" }, { "bogus", "ctrl+opt+b" } };
    auto expected = replaced(saved, "tile_gap = 0\n", "tile_gap = 12.5\n");
    expected = replaced(expected, "agent_command = []", "agent_command = [\"codex\", \"--full-auto\"]");
    expected = replaced(expected, "fill = \"ctrl+opt+f\"", "fill = \"ctrl+opt+g\"");
    // Every tile binding id comes back with its chord in force, and unknown keys go.
    expectEdit(
        replaced(saved, "fill = ", "bogus = \"x\"\nfill = "), [&](auto& file) { file.setGeneral(general); }, expected);
}

// The settings window changes general settings from the copy it showed; another writer may have saved the file
// since. Each side's changes stay, and where both changed a setting the window's comes last.
TEST(ConfigFile, ChangingGeneralSettingsKeepsWhatAnotherWriterChanged)
{
    auto base = ConfigFile::makeDefault().decode().general;
    std::string onDisk = replaced(defaults, "tile_gap = 0\n", "tile_gap = 12\n");
    onDisk = replaced(onDisk, "fill = \"ctrl+opt+f\"", "fill = \"ctrl+opt+g\"");
    onDisk = replaced(onDisk, "layout_hotkey = \"ctrl+opt+l\"", "layout_hotkey = \"ctrl+opt+y\"");
    auto edited = base;
    edited.animateTiles = false;
    edited.tileHotkeys["exit_return"] = "ctrl+opt+k";
    edited.layoutHotkey = "ctrl+opt+u";

    ConfigFile file(onDisk);
    file.changeGeneral(base, edited);
    const GeneralConfig& saved = file.decoded()->general;
    EXPECT_EQ(saved.tileGap, 12);
    EXPECT_EQ(saved.tileHotkeys.at("fill"), "ctrl+opt+g");
    EXPECT_FALSE(saved.animateTiles);
    EXPECT_EQ(saved.tileHotkeys.at("exit_return"), "ctrl+opt+k");
    EXPECT_EQ(saved.layoutHotkey, "ctrl+opt+u");

    // Nothing changed in the window: the file stays as it is.
    ConfigFile unchanged(onDisk);
    unchanged.changeGeneral(base, base);
    EXPECT_EQ(*unchanged.decoded(), ConfigFile(onDisk).decode());
}

TEST(ConfigFile, AFailedEditLeavesTheDocumentUnchanged)
{
    auto file = ConfigFile::makeDefault();
    auto general = file.decode().general;
    general.tileGap = std::nan("");
    EXPECT_THROW(file.setGeneral(general), QuorvaneError);
    EXPECT_EQ(file.text(), defaults);
}

TEST(ConfigFile, UpsertAppKeepsUnknownKeysAndWritesEmptyValuesOnlyOverTheUsersOwn)
{
    ConfigFile file("[apps.notes] # mine\nurl = \"https://old.example/\"\nzoom = 1.5 # kept\nuser_css = \"x\"\n"
                    "hotkey = \"ctrl+opt+n\"\nstandard_user_agent = true\n\n[rules.r]\ntile = \"fill\"\n");
    file.upsertApp({ "notes", { "https://n.example/", "Notes", "b.notes", {}, "left-half", "", "", "/i.png", true } });
    EXPECT_EQ(file.text(),
        "[apps.notes] # mine\nurl = \"https://n.example/\"\nzoom = 1.5 # kept\nuser_css = \"\"\n"
        "standard_user_agent = true\nname = \"Notes\"\nbundle_id = \"b.notes\"\ntile = \"left-half\"\n"
        "icon = \"/i.png\"\n\n[rules.r]\ntile = \"fill\"\n");

    file = ConfigFile("version = 1\n");
    file.upsertApp({ "notes", { "u", "N", "b", "ctrl+opt+n", "", "", "alert(1)", {}, false } });
    EXPECT_EQ(file.text(),
        "version = 1\n\n[apps.notes]\nurl = \"u\"\nname = \"N\"\nbundle_id = \"b\"\nhotkey = \"ctrl+opt+n\"\n"
        "user_js = \"alert(1)\"\nstandard_user_agent = false\n");
    file.removeApp("notes");
    EXPECT_EQ(file.text(), "version = 1\n\n");
}

TEST(ConfigFile, NativeHotkeysAndRules)
{
    ConfigFile file("[hotkeys]\n\"ctrl+opt+m\" = \"com.apple.mail\" # mail\n[rules.r]\nbundle = \"com.a\"\n"
                    "title = \"x\"\ndisplay = 2\ntile = \"fill\"\n");
    file.setNativeHotkey("ctrl+opt+s", "com.apple.Safari");
    file.removeNativeHotkey("ctrl+opt+m");
    // A rule given no bundle keeps the one it has.
    file.upsertRule({ "r", "", "Mail", {}, "left-half", {} });
    EXPECT_EQ(file.text(),
        "[hotkeys]\n\"ctrl+opt+s\" = { bundle = \"com.apple.Safari\" }\n[rules.r]\nbundle = \"com.a\"\n"
        "tile = \"left-half\"\napp = \"Mail\"\n");
}

TEST(ConfigFile, UpsertLayoutHoldsExactlyItsAssignments)
{
    const std::string agents = "\n[agents]\ninstalled = []\n";
    ConfigFile file("[layouts.work]\na = \"fill\"\nb = \"fill\" # b\nc = \"fill\"\n" + agents);
    file.upsertLayout({ "work", { { "d", "right-half" }, { "b", "left-half" } } });
    EXPECT_EQ(file.text(), "[layouts.work]\nb = \"left-half\" # b\nd = \"right-half\"\n" + agents);
    file.upsertLayout({ "work", {} });
    file.setAgents({ { "~/.codex" }, { "~/a b" } });
    EXPECT_EQ(file.text(), "[agents]\ninstalled = [\"~/.codex\"]\ncustom_folders = [\"~/a b\"]\n");
}

} // namespace
} // namespace quorvane
