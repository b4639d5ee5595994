#include "Configuration/GeneralValidation.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/DefaultConfig.h"
#include "Configuration/QuorvaneConfig.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

// Each change is decoded into new general settings and checked against the unchanged configuration.
TEST(GeneralValidation, FirstProblemInOrder)
{
    const std::string base = std::string(DefaultConfig::text()) + "[hotkeys]\n\"ctrl+opt+s\" = \"com.apple.Safari\"\n";
    const QuorvaneConfig config = ConfigFile(base).decode();
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        { "", std::nullopt },
        { "[general]\ntile_mode_hotkey = \"ctrl+opt+nosuchkey\"", "Could not read hotkey ctrl+opt+nosuchkey." },
        { "[general]\nagent_hotkey_enabled = false\nagent_hotkey = \"\"", "agent_hotkey needs a chord." },
        // Built-in chords are read before tile chords, and tile chords in table order; unknown ids not at all.
        { "[general]\nlayout_hotkey = \"worse\"\n[tile_hotkeys]\nfill = \"bad+key\"", "Could not read hotkey worse." },
        { "[tile_hotkeys]\nfill = \"bad+key\"\nfocus_left = \"worse\"", "Could not read hotkey worse." },
        { "[tile_hotkeys]\nbogus = \"bad+key\"", std::nullopt },
        { "[general]\nleader_key = \"caps lock please\"",
            "Use a key name such as caps for the leader key, or leave it empty." },
        { "[general]\nnew_app_hotkey = \"ctrl+opt+f\"", "ctrl+opt+f is already used." },
        { "[tile_hotkeys]\nfill = \"ctrl+opt+s\"", "ctrl+opt+s is already used." },
    };
    for (const auto& [change, expected] : cases)
        EXPECT_EQ(validate(ConfigFile(base + change + "\n").decode().general, config), expected) << change;
}

// A file edited by hand may hold a chord that does not read, or two that clash: the settings window must still save
// a change beside them, and only a new problem is refused.
TEST(GeneralValidation, OnlyProblemsTheChangeBringsCount)
{
    const std::string base = std::string(DefaultConfig::text()) + "[tile_hotkeys]\nfill = \"ctrl+opt+n\"\n"
        + "[hotkeys]\n\"ctrl+opt+n\" = \"com.apple.Notes\"\n";
    const QuorvaneConfig config = ConfigFile(base + "[general]\ntile_mode_hotkey = \"bogus+x\"\n").decode();
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        { "animate_tiles = false", std::nullopt },
        { "tile_gap = 16", std::nullopt },
        { "layout_hotkey = \"worse\"", "Could not read hotkey worse." },
        { "new_app_hotkey = \"ctrl+opt+left\"", "ctrl+opt+left is already used." },
    };
    for (const auto& [change, expected] : cases) {
        std::string text = base + "[general]\ntile_mode_hotkey = \"bogus+x\"\n" + change + "\n";
        EXPECT_EQ(validate(ConfigFile(text).decode().general, config), expected) << change;
    }
}

} // namespace
} // namespace quorvane
