#include "Configuration/QuorvaneConfig.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(QuorvaneConfig, WindowChromeAndGapPresets)
{
    EXPECT_EQ(parseWindowChrome(std::nullopt), WindowChrome::slim);
    EXPECT_EQ(parseWindowChrome(" MacOS \n"), WindowChrome::standard);
    EXPECT_EQ(parseWindowChrome("STANDARD"), WindowChrome::standard);
    EXPECT_EQ(parseWindowChrome("mac os"), WindowChrome::slim);

    const std::vector<std::pair<double, TileGapPreset>> nearest
        = { { -3, TileGapPreset::none }, { 4, TileGapPreset::none }, { 4.1, TileGapPreset::small },
              { 12, TileGapPreset::small }, { 20, TileGapPreset::medium }, { 30, TileGapPreset::large } };
    for (auto& [gap, preset] : nearest)
        EXPECT_EQ(nearestTileGapPreset(gap), preset) << gap;
}

TileRule rule(std::string id, std::string bundle, std::optional<std::string> app, std::optional<std::string> title)
{
    return { std::move(id), std::move(bundle), std::move(app), std::move(title), "fill", std::nullopt };
}

WebAppRecord webApp(std::string slug, std::string name, std::string bundle)
{
    WebAppRecord record { .slug = std::move(slug), .spec = {} };
    record.spec.name = std::move(name);
    record.spec.bundleIdentifier = std::move(bundle);
    record.spec.url = "https://example.com";
    return record;
}

TEST(QuorvaneConfig, MatchingRule)
{
    QuorvaneConfig config;
    config.apps = { webApp("inbox", "Mail", "app.quorvane.web.inbox"), webApp("mail", "Other", "app.other") };
    config.rules
        = { rule("bad-pattern", "com.apple.Safari", {}, "(unclosed"), rule("docs", "com.apple.Safari", {}, "Docs$"),
              rule("safari", "com.apple.Safari", {}, ""), rule("by-app", "", "mail", {}), rule("nothing", "", {}, {}),
              rule("slow", "com.slow", {}, "(a+)+$"), rule("case", "com.case", {}, "inbox") };

    struct Case {
        std::string bundle, title;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        { "com.apple.Safari", "Team Docs", "docs" },
        { "com.apple.Safari", "Docs — Team", "safari" },
        // The first web app named or slugged "mail" is the one whose name is Mail in another case.
        { "app.quorvane.web.inbox", "x", "by-app" },
        { "app.other", "x", std::nullopt },
        { "com.unknown", "", std::nullopt },
        { "com.slow", std::string(64, 'a') + "!", std::nullopt },
        { "com.case", "Inbox", std::nullopt },
        { "com.case", "my inbox", "case" },
    };
    for (auto& c : cases) {
        auto found = matchingRule(config, c.bundle, c.title);
        EXPECT_EQ(found ? std::optional(found->id) : std::nullopt, c.expected) << c.bundle << " " << c.title;
    }
}

TEST(QuorvaneConfig, SavedShortcutsNameHotkeysByTheirWebAppOrTheLastPartOfTheBundle)
{
    QuorvaneConfig config;
    config.apps = { webApp("notes", "Notes", "app.quorvane.web.notes") };
    config.hotkeys = { { "ctrl+opt+s", "com.apple.Safari" }, { "ctrl+opt+o", "app.quorvane.web.notes" },
        { "ctrl+opt+x", "plain" } };
    std::vector<std::pair<std::string, std::string>> rows;
    for (auto& row : savedShortcuts(config))
        rows.emplace_back(row.id, row.name);
    EXPECT_EQ(rows,
        (std::vector<std::pair<std::string, std::string>> { { "app:notes", "Notes" }, { "hotkey:ctrl+opt+s", "Safari" },
            { "hotkey:ctrl+opt+o", "Notes" }, { "hotkey:ctrl+opt+x", "plain" } }));
}

} // namespace
} // namespace quorvane
