#include "Configuration/EffectiveHotkeys.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "Hotkeys/TileKeys.h"
#include "Support/QuorvaneError.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using Conflicts = std::vector<HotkeyConflict>;

WebAppRecord webApp(std::string slug, std::string name, std::optional<std::string> hotkey)
{
    WebAppRecord record;
    record.slug = slug;
    record.spec.url = "https://" + slug + ".example.com";
    record.spec.name = std::move(name);
    record.spec.bundleIdentifier = "app.quorvane.web." + slug;
    record.spec.hotkey = std::move(hotkey);
    return record;
}

QuorvaneConfig defaultConfig()
{
    return ConfigFile::makeDefault().decode();
}

// A default configuration with a web app Mail on opt+cmd+m and an editor on ctrl+opt+e.
QuorvaneConfig mailAndEditor()
{
    QuorvaneConfig config = defaultConfig();
    config.apps = { webApp("mail", "Mail", "opt+cmd+m") };
    config.hotkeys = { { "ctrl+opt+e", "com.example.editor" } };
    return config;
}

TEST(EffectiveHotkeys, DefaultConfigurationRegistersBuiltinsThenTileChords)
{
    const std::vector<EffectiveHotkey> builtins = {
        { "ctrl+opt+space", "quorvane.tile-mode", "builtin" },
        { "ctrl+opt+a", "quorvane.agent", "builtin" },
        { "ctrl+opt+n", "quorvane.new-app", "builtin" },
        { "ctrl+opt+l", "quorvane.layout", "builtin" },
    };
    for (const QuorvaneConfig& config : { defaultConfig(), QuorvaneConfig {} }) {
        auto rows = effectiveHotkeys(config);
        ASSERT_EQ(rows.size(), 31u);
        EXPECT_EQ(std::vector(rows.begin(), rows.begin() + 4), builtins);
        auto tiles = TileKeys::resolved({});
        for (size_t index = 0; index < tiles.size(); ++index)
            EXPECT_EQ(rows[4 + index], (EffectiveHotkey { tiles[index].chord, tiles[index].token, "builtin" }));
        EXPECT_EQ(hotkeyConflicts(config), Conflicts {});
    }

    QuorvaneConfig noAgent = defaultConfig();
    noAgent.general.agentHotkeyEnabled = false;
    auto rows = effectiveHotkeys(noAgent);
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[1].bundleIdentifier, "quorvane.new-app");
}

TEST(EffectiveHotkeys, AppsThenHotkeysInOrderAndUnreadableTextsLeftOut)
{
    QuorvaneConfig config = defaultConfig();
    config.apps = { webApp("notes", "Notes", ""), webApp("mail", "Mail", "Cmd+Opt+M"),
        webApp("chat", "Chat", std::nullopt), webApp("docs", "Docs", "ctrl+nope") };
    config.hotkeys = { { "leader+e", "com.example.editor" }, { "ctrl+", "com.example.broken" },
        { "\u2303\u2325T", "com.apple.Terminal" } };
    config.general.newAppHotkey = "";
    config.general.layoutHotkey = "   ";

    auto rows = effectiveHotkeys(config);
    const std::vector<EffectiveHotkey> head = {
        { "opt+cmd+m", "app.quorvane.web.mail", "app:mail" },
        { "leader+e", "com.example.editor", "hotkeys" },
        { "ctrl+opt+t", "com.apple.Terminal", "hotkeys" },
        { "ctrl+opt+space", "quorvane.tile-mode", "builtin" },
        { "ctrl+opt+a", "quorvane.agent", "builtin" },
    };
    ASSERT_EQ(rows.size(), 3u + 2u + 27u);
    EXPECT_EQ(std::vector(rows.begin(), rows.begin() + 5), head);
    EXPECT_EQ(rows[5].chord, "ctrl+opt+left");
}

TEST(HotkeyConflicts, LaterHoldersAndReservedChordsInTableOrder)
{
    struct Case {
        const char* name;
        std::vector<NativeHotkey> hotkeys;
        std::map<std::string, std::string> tileOverrides;
        Conflicts expected;
    };
    const Case cases[] = {
        { "app hotkey on a tile chord", { { "ctrl+opt+f", "com.example.files" } }, {},
            { { "ctrl+opt+f", "ctrl+opt+f is already used." } } },
        { "reserved twice: duplicate before reason",
            { { "cmd+shift+3", "com.example.a" }, { "\u2318\u21E73", "com.example.b" } }, {},
            { { "shift+cmd+3", "macOS uses this chord." }, { "shift+cmd+3", "shift+cmd+3 is already used." },
                { "shift+cmd+3", "macOS uses this chord." } } },
        { "two tile bindings on one chord", {}, { { "fill", "ctrl+opt+g" }, { "layout_6", "opt+ctrl+g" } },
            { { "ctrl+opt+g", "ctrl+opt+g is already used." } } },
        { "tile binding on a builtin", {}, { { "focus_l", "ctrl+opt+l" } },
            { { "ctrl+opt+l", "ctrl+opt+l is already used." } } },
        { "function key spelled with a leading zero",
            { { "ctrl+f1", "com.example.a" }, { "ctrl+f01", "com.example.b" } }, {},
            { { "ctrl+f1", "ctrl+f1 is already used." } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QuorvaneConfig config = defaultConfig();
        config.hotkeys = c.hotkeys;
        config.general.tileHotkeys = c.tileOverrides;
        EXPECT_EQ(hotkeyConflicts(config), c.expected);
    }
}

TEST(EnsureHotkeyAvailable, EachOutcome)
{
    struct Case {
        const char* text;
        std::optional<std::string_view> replacing;
        const char* code; // empty when the chord is free
        const char* message;
    };
    const Case cases[] = {
        { "ctrl+opt+x", std::nullopt, "", "" },
        { "ctrl+opt+f", std::nullopt, "conflict", "ctrl+opt+f is used by Quorvane itself." },
        { "Opt+Ctrl+Space", std::nullopt, "conflict", "ctrl+opt+space is used by Quorvane itself." },
        { "cmd+shift+4", std::nullopt, "conflict", "macOS uses this chord. Pick another chord." },
        { "ctrl+", std::nullopt, "usage", "\u201Cctrl+\u201D has an empty hotkey piece." },
        { "cmd+opt+m", std::nullopt, "conflict", "opt+cmd+m is already used." },
        { "cmd+opt+m", "MAIL", "", "" },
        { "cmd+opt+m", "com.example.editor", "conflict", "opt+cmd+m is already used." },
        { "ctrl+opt+e", "com.example.editor", "", "" },
        { "ctrl+opt+e", "com.example.Editor", "conflict", "ctrl+opt+e is already used." },
        { "ctrl+opt+e", "Text Edit", "conflict", "ctrl+opt+e is already used." },
        { "ctrl+opt+space", "quorvane.tile-mode", "", "" },
    };
    const QuorvaneConfig config = mailAndEditor();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " replacing " << c.replacing.value_or("(none)"));
        try {
            ensureHotkeyAvailable(c.text, config, c.replacing);
            EXPECT_EQ(std::string_view(c.code), "");
        } catch (const QuorvaneError& error) {
            EXPECT_EQ(error.code(), c.code);
            EXPECT_EQ(error.message(), c.message);
            EXPECT_EQ(error.exitCode(), std::string_view(c.code) == "usage" ? 1 : 6);
        }
    }
}

TEST(ConfiguredHotkey, WebAppBeforeHotkeysAsWritten)
{
    QuorvaneConfig config = mailAndEditor();
    config.hotkeys.push_back({ "ctrl+opt+m", "app.quorvane.web.mail" });
    config.hotkeys.push_back({ "Ctrl+Opt+R", "com.example.editor" });
    config.apps.push_back(webApp("quiet", "Quiet", ""));
    config.hotkeys.push_back({ "ctrl+opt+q", "app.quorvane.web.quiet" });

    EXPECT_EQ(configuredHotkey(config, "app.quorvane.web.mail"), "opt+cmd+m");
    EXPECT_EQ(configuredHotkey(config, "com.example.editor"), "ctrl+opt+e");
    EXPECT_EQ(configuredHotkey(config, "app.quorvane.web.quiet"), "ctrl+opt+q");
    EXPECT_EQ(configuredHotkey(config, "com.example.none"), "");
}

} // namespace
} // namespace quorvane
