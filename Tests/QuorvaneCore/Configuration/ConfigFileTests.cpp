#include "Configuration/ConfigFile.h"

#include "Configuration/DefaultConfig.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/TileKeys.h"
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

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(ConfigFile, LineBreaksAreNormalisedBeforeParsing)
{
    EXPECT_EQ(ConfigFile("a = 1\r\nb = 2\rc = 3\r\n").text(), "a = 1\nb = 2\nc = 3\n");
    try {
        ConfigFile("a = 1\r\r\n[b\n");
        FAIL() << "no error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.code(), "config");
        EXPECT_EQ(error.message(), "Config line 3: A table header is missing ].");
    }
}

TEST(ConfigFile, DefaultFileRendersAsItself)
{
    EXPECT_EQ(DefaultConfig::text().size(), 1571u);
    EXPECT_EQ(ConfigFile::makeDefault().text(), DefaultConfig::text());
}

TEST(ConfigFile, SavingGeneralSettingsFromTheDefaultAddsOnlyWindowStyle)
{
    std::string defaults(DefaultConfig::text());
    auto file = ConfigFile::makeDefault();
    file.setGeneral(file.decode().general);
    EXPECT_EQ(file.text(), replaced(defaults, "[tile_hotkeys]\n", "window_style = \"slim\"\n[tile_hotkeys]\n"));

    auto general = file.decode().general;
    general.tileGap = 12.5;
    general.windowChrome = WindowChrome::standard;
    general.agentCommand = { "codex", "--full-auto" };
    file.setGeneral(general);
    auto expected = replaced(defaults, "tile_gap = 0\n", "tile_gap = 12.5\n");
    expected = replaced(expected, "agent_command = []", "agent_command = [\"codex\", \"--full-auto\"]");
    EXPECT_EQ(file.text(), replaced(expected, "[tile_hotkeys]\n", "window_style = \"standard\"\n[tile_hotkeys]\n"));
}

TEST(ConfigFile, SavingGeneralSettingsLeavesExactlyTheTileBindingIds)
{
    GeneralConfig general;
    general.tileHotkeys = { { "fill", "ctrl+opt+g" }, { "bogus", "ctrl+opt+b" } };
    std::string tileLines;
    for (auto& binding : TileKeys::bindings()) {
        if (binding.id != "fill")
            tileLines += binding.id + " = \"" + binding.defaultChord + "\"\n";
    }
    expectEdit(
        "[tile_hotkeys] # mine\nfill = \"ctrl+opt+f\"\nbogus = \"x\" # gone\n",
        [&](auto& file) { file.setGeneral(general); },
        "version = 1\n[tile_hotkeys] # mine\nfill = \"ctrl+opt+g\"\n" + tileLines
            + "\n[general]\nlaunch_at_login = false\ncheck_for_updates = true\nanimate_tiles = true\ntile_gap = 0\n"
              "window_style = \"slim\"\ntile_mode_hotkey = \"ctrl+opt+space\"\nagent_hotkey_enabled = true\n"
              "agent_hotkey = \"ctrl+opt+a\"\nnew_app_hotkey = \"ctrl+opt+n\"\nlayout_hotkey = \"ctrl+opt+l\"\n"
              "cycle_windows = true\nhide_on_repeat = false\nleader_key = \"\"\nagent_command = []\n"
              "terminal_bundle_id = \"com.apple.Terminal\"\nauto_tile = false\nonboarding_complete = false\n");
}

TEST(ConfigFile, AFailedEditLeavesTheDocumentUnchanged)
{
    auto file = ConfigFile::makeDefault();
    auto general = file.decode().general;
    general.tileGap = std::nan("");
    EXPECT_THROW(file.setGeneral(general), QuorvaneError);
    EXPECT_EQ(file.text(), DefaultConfig::text());
}

WebAppRecord notes()
{
    return { .slug = "notes",
        .spec = { .url = "https://notes.example/",
            .name = "Notes",
            .bundleIdentifier = "app.quorvane.web.notes",
            .hotkey = std::nullopt,
            .tile = "left-half",
            .userCSS = "",
            .userJS = "",
            .iconPath = "/i.png",
            .standardUserAgent = true } };
}

TEST(ConfigFile, UpsertAppKeepsUnknownKeysAndOnlyWritesEmptyValuesTheUserHad)
{
    expectEdit(
        "[apps.notes] # mine\nurl = \"https://old.example/\"\nzoom = 1.5 # kept\nuser_css = \"x\"\n"
        "hotkey = \"ctrl+opt+n\"\nstandard_user_agent = true\n\n[rules.r]\ntile = \"fill\"\n",
        [](auto& file) { file.upsertApp(notes()); },
        "[apps.notes] # mine\nurl = \"https://notes.example/\"\nzoom = 1.5 # kept\nuser_css = \"\"\n"
        "standard_user_agent = true\nname = \"Notes\"\nbundle_id = \"app.quorvane.web.notes\"\ntile = \"left-half\"\n"
        "icon = \"/i.png\"\n\n[rules.r]\ntile = \"fill\"\n");

    auto record = notes();
    record.spec.tile = "";
    record.spec.iconPath = std::nullopt;
    record.spec.hotkey = "ctrl+opt+n";
    record.spec.userJS = "alert(1)";
    record.spec.standardUserAgent = false;
    expectEdit(
        "version = 1\n", [&](auto& file) { file.upsertApp(record); },
        "version = 1\n\n[apps.notes]\nurl = \"https://notes.example/\"\nname = \"Notes\"\n"
        "bundle_id = \"app.quorvane.web.notes\"\nhotkey = \"ctrl+opt+n\"\nuser_js = \"alert(1)\"\n"
        "standard_user_agent = false\n");
    expectEdit(
        "[apps.notes]\nurl = \"u\"\n[apps.other]\nurl = \"v\"\n", [](auto& file) { file.removeApp("notes"); },
        "[apps.other]\nurl = \"v\"\n");
}

TEST(ConfigFile, NativeHotkeys)
{
    expectEdit(
        "[hotkeys]\n\"ctrl+opt+m\" = \"com.apple.mail\" # mail\n",
        [](auto& file) {
            file.setNativeHotkey("ctrl+opt+s", "com.apple.Safari");
            file.removeNativeHotkey("ctrl+opt+m");
        },
        "[hotkeys]\n\"ctrl+opt+s\" = { bundle = \"com.apple.Safari\" }\n");
}

TEST(ConfigFile, UpsertRuleKeepsABundleItIsNotGiven)
{
    TileRule rule { .id = "r",
        .bundleIdentifier = "",
        .app = "Mail",
        .titlePattern = std::nullopt,
        .tile = "left-half",
        .display = std::nullopt };
    expectEdit(
        "[rules.r]\nbundle = \"com.a\"\ntitle = \"x\"\ndisplay = 2\ntile = \"fill\"\n",
        [&](auto& file) { file.upsertRule(rule); },
        "[rules.r]\nbundle = \"com.a\"\ntile = \"left-half\"\napp = \"Mail\"\n");
    rule.bundleIdentifier = "com.b";
    rule.app = std::nullopt;
    rule.display = 2;
    expectEdit(
        "", [&](auto& file) { file.upsertRule(rule); },
        "[rules.r]\nbundle = \"com.b\"\ntile = \"left-half\"\ndisplay = 2\n");
}

TEST(ConfigFile, UpsertLayoutHoldsExactlyItsAssignments)
{
    const std::string before
        = "[layouts.work]\na = \"fill\"\nb = \"fill\" # b\nc = \"fill\"\n\n[agents]\ninstalled = []\n";
    Layout layout { "work", { { "d", "right-half" }, { "b", "left-half" } } };
    expectEdit(
        before, [&](auto& file) { file.upsertLayout(layout); },
        "[layouts.work]\nb = \"left-half\" # b\nd = \"right-half\"\n\n[agents]\ninstalled = []\n");
    expectEdit(
        before,
        [](auto& file) {
            file.upsertLayout({ "work", {} });
        },
        "[agents]\ninstalled = []\n");
    expectEdit(
        before,
        [](auto& file) {
            file.setAgents({ { "~/.codex" }, { "~/a b" } });
        },
        replaced(before, "installed = []\n", "installed = [\"~/.codex\"]\ncustom_folders = [\"~/a b\"]\n"));
}

} // namespace
} // namespace quorvane
