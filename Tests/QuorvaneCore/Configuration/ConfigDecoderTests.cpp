#include "Configuration/ConfigDecoder.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"

#include <functional>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

QuorvaneConfig decoded(const std::string& text)
{
    return ConfigFile(text).decode();
}

// One key of the schema: a good value and what it sets; a value of the wrong type leaves the default.
template <typename Record> struct Row {
    std::string key, good, wrongType;
    std::function<void(Record&)> apply;
};

// Decodes `base` plus each row's key line and compares the record that `pick` takes out.
template <typename Record, typename Pick>
void expectRows(const std::string& base, const Record& defaults, const std::vector<Row<Record>>& rows, Pick pick)
{
    EXPECT_EQ(pick(decoded(base)), defaults);
    for (auto& row : rows) {
        Record expected = defaults;
        row.apply(expected);
        EXPECT_EQ(pick(decoded(base + row.key + " = " + row.good + "\n")), expected) << row.key << " = " << row.good;
        EXPECT_EQ(pick(decoded(base + row.key + " = " + row.wrongType + "\n")), defaults) << row.key;
    }
}

TEST(ConfigDecoder, GeneralKeys)
{
    expectRows<GeneralConfig>("[general]\n", {},
        {
            { "launch_at_login", "true", "\"true\"", [](auto& g) { g.launchAtLogin = true; } },
            { "check_for_updates", "false", "1", [](auto& g) { g.checkForUpdates = false; } },
            { "animate_tiles", "false", "0.0", [](auto& g) { g.animateTiles = false; } },
            { "tile_gap", "8", "\"8\"", [](auto& g) { g.tileGap = 8; } },
            { "tile_gap", "12.5", "[]", [](auto& g) { g.tileGap = 12.5; } },
            { "window_style", "\" MacOS \"", "1", [](auto& g) { g.windowChrome = WindowChrome::standard; } },
            { "tile_mode_hotkey", "\"ctrl+opt+t\"", "[]", [](auto& g) { g.tileModeHotkey = "ctrl+opt+t"; } },
            { "agent_hotkey_enabled", "false", "\"no\"", [](auto& g) { g.agentHotkeyEnabled = false; } },
            { "agent_hotkey", "\"\"", "{ }", [](auto& g) { g.agentHotkey = ""; } },
            { "new_app_hotkey", "\"cmd+n\"", "2", [](auto& g) { g.newAppHotkey = "cmd+n"; } },
            { "layout_hotkey", "\"cmd+l\"", "false", [](auto& g) { g.layoutHotkey = "cmd+l"; } },
            { "cycle_windows", "false", "\"false\"", [](auto& g) { g.cycleWindows = false; } },
            { "hide_on_repeat", "true", "1", [](auto& g) { g.hideOnRepeat = true; } },
            { "leader_key", "\"caps\"", "[\"caps\"]", [](auto& g) { g.leaderKey = "caps"; } },
            { "agent_command", "[\"codex\", 3, \"--yes\"]", "\"codex\"",
                [](auto& g) {
                    g.agentCommand = { "codex", "--yes" };
                } },
            { "terminal_bundle_id", "\"com.x\"", "7", [](auto& g) { g.terminalBundleIdentifier = "com.x"; } },
            { "auto_tile", "true", "\"on\"", [](auto& g) { g.autoTile = true; } },
            { "onboarding_complete", "true", "1", [](auto& g) { g.onboardingComplete = true; } },
        },
        [](const QuorvaneConfig& config) { return config.general; });
}

TEST(ConfigDecoder, AppKeys)
{
    WebAppSpec defaults;
    defaults.url = "https://notes.example";
    defaults.name = "notes";
    defaults.bundleIdentifier = "app.quorvane.web.notes";
    expectRows<WebAppSpec>("[apps.notes]\nurl = \"https://notes.example\"\n", defaults,
        {
            { "name", "\"Notes\"", "1", [](auto& s) { s.name = "Notes"; } },
            { "bundle_id", "\"com.x.notes\"", "true", [](auto& s) { s.bundleIdentifier = "com.x.notes"; } },
            { "hotkey", "\"ctrl+opt+n\"", "[]", [](auto& s) { s.hotkey = "ctrl+opt+n"; } },
            { "tile", "\"left-half\"", "3", [](auto& s) { s.tile = "left-half"; } },
            { "user_css", "\"body { }\"", "false", [](auto& s) { s.userCSS = "body { }"; } },
            { "user_js", "\"\"\"\nalert(1)\n\"\"\"", "{ a = 1 }", [](auto& s) { s.userJS = "alert(1)\n"; } },
            { "icon", "\"/tmp/n.png\"", "1.5", [](auto& s) { s.iconPath = "/tmp/n.png"; } },
            { "standard_user_agent", "false", "\"false\"", [](auto& s) { s.standardUserAgent = false; } },
        },
        [](const QuorvaneConfig& config) { return config.apps.at(0).spec; });
}

TEST(ConfigDecoder, RuleKeys)
{
    TileRule defaults;
    defaults.id = "r1";
    defaults.tile = "fill";
    expectRows<TileRule>("[rules.r1]\ntile = \"fill\"\n", defaults,
        {
            { "bundle", "\"com.apple.Safari\"", "1", [](auto& r) { r.bundleIdentifier = "com.apple.Safari"; } },
            { "app", "\"Mail\"", "true", [](auto& r) { r.app = "Mail"; } },
            { "title", "\"^Inbox\"", "[]", [](auto& r) { r.titlePattern = "^Inbox"; } },
            { "display", "2.0", "\"2\"", [](auto& r) { r.display = 2; } },
            { "display", "3", "2.5", [](auto& r) { r.display = 3; } },
        },
        [](const QuorvaneConfig& config) { return config.rules.at(0); });
}

TEST(ConfigDecoder, DefaultFileGivesTheDefaultsWithAllTileChords)
{
    auto config = ConfigFile::makeDefault().decode();
    EXPECT_EQ(config.general.tileHotkeys.size(), 27u);
    EXPECT_EQ(config.general.tileHotkeys.at("focus_l"), "ctrl+opt+cmd+l");
    config.general.tileHotkeys.clear();
    EXPECT_EQ(config, QuorvaneConfig {});
}

TEST(ConfigDecoder, RepeatedKeys)
{
    // The first root version counts, even when it is unusable; in a table the last key counts.
    EXPECT_EQ(decoded("version = 2.0\nversion = 3\n").version, 2);
    EXPECT_EQ(decoded("version = \"2\"\nversion = 3\n").version, 1);
    EXPECT_EQ(decoded("[general]\nhide_on_repeat = true\nhide_on_repeat = false\n").general.hideOnRepeat, false);
    EXPECT_EQ(decoded("[general]\ntile_gap = 8\n[other]\n[general]\ntile_gap = 16\n").general.tileGap, 16);
    EXPECT_EQ(decoded("[tile_hotkeys]\nfill = \"ctrl+opt+f\"\nfill = 3\nfill = \"ctrl+opt+g\"\nbogus = \"x\"\n")
                  .general.tileHotkeys,
        (std::map<std::string, std::string> { { "bogus", "x" }, { "fill", "ctrl+opt+g" } }));
}

TEST(ConfigDecoder, TablesWithoutTheirRequiredKeyAreSkippedAndRepeatedHeadersAreOneTable)
{
    auto config = decoded("[apps.a]\nname = \"A\"\n[apps.b]\nurl = \"\"\n[apps.c]\nurl = 1\n[apps.d.e]\nurl = \"u\"\n"
                          "[apps.f]\nurl = \"https://f.example\"\n[rules.r1]\nbundle = \"x\"\n[rules.r2]\ntile = 4\n"
                          "[rules.r3]\ntile = \"fill\"\n[apps.f]\nname = \"F\"\n");
    ASSERT_EQ(config.apps.size(), 1u);
    EXPECT_EQ(config.apps[0].spec.name, "F");
    ASSERT_EQ(config.rules.size(), 1u);
    EXPECT_EQ(config.rules[0].id, "r3");
}

// The file's edits find a table's dotted keys, so decoding must see the table too: an app it missed would
// be overwritten by the next `app add` of its name.
TEST(ConfigDecoder, TablesMadeOfDottedKeysCount)
{
    auto config = decoded("[apps]\nmail.url = \"https://mail.example\"\nmail.name = \"Mail\"\n[apps.note]\n"
                          "url = \"https://note.example\"\n[apps]\nmail.hotkey = \"ctrl+shift+9\"\n"
                          "rules.term.tile = \"fill\"\nrules.term.bundle = \"org.example.Term\"\n");
    ASSERT_EQ(config.apps.size(), 2u);
    EXPECT_EQ(config.apps[0].slug, "mail");
    EXPECT_EQ(config.apps[0].spec.name, "Mail");
    EXPECT_EQ(config.apps[0].spec.hotkey, "ctrl+shift+9");
    EXPECT_EQ(config.apps[1].slug, "note");
    // Keys under [apps] make the table apps.rules.term, not a rule.
    EXPECT_TRUE(config.rules.empty());
    EXPECT_EQ(decoded("rules.term.tile = \"fill\"\nrules.term.bundle = \"org.example.Term\"\n").rules.size(), 1u);
}

TEST(ConfigDecoder, HotkeysLayoutsAndAgents)
{
    auto config
        = decoded("[hotkeys]\n\"ctrl+opt+s\" = \"com.apple.Safari\"\n\"ctrl+opt+m\" = { bundle = \"com.mail\" }\n"
                  "\"ctrl+opt+x\" = { app = \"x\" }\n\"ctrl+opt+y\" = 5\n\"ctrl+opt+s\" = { n = 1, bundle = \"b\" }\n"
                  "[layouts.work]\nsafari = \"left-half\"\nbad = 1\nmail = \"right-half\"\n[layouts.empty]\n"
                  "[agents]\ninstalled = [\"~/.codex\", 1]\ncustom_folders = \"~/x\"\n");
    EXPECT_EQ(config.hotkeys,
        (std::vector<NativeHotkey> {
            { "ctrl+opt+s", "com.apple.Safari" }, { "ctrl+opt+m", "com.mail" }, { "ctrl+opt+s", "b" } }));
    EXPECT_EQ(config.layouts,
        (std::vector<Layout> { { "work", { { "safari", "left-half" }, { "mail", "right-half" } } }, { "empty", {} } }));
    EXPECT_EQ(config.agents, (AgentConfig { { "~/.codex" }, {} }));
}

} // namespace
} // namespace quorvane
