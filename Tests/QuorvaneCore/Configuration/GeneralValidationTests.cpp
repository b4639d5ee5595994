#include "Configuration/GeneralValidation.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"

#include <functional>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(GeneralValidation, FirstProblemInOrder)
{
    auto config = ConfigFile::makeDefault().decode();
    config.hotkeys = { { "ctrl+opt+s", "com.apple.Safari" } };
    struct Case {
        std::string name;
        std::function<void(GeneralConfig&)> change;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        { "defaults", [](auto&) {}, std::nullopt },
        { "tile mode key", [](auto& g) { g.tileModeHotkey = "ctrl+opt+nosuchkey"; },
            "Could not read hotkey ctrl+opt+nosuchkey." },
        { "empty agent chord while off",
            [](auto& g) {
                g.agentHotkeyEnabled = false;
                g.agentHotkey = "";
            },
            "Could not read hotkey ." },
        { "built-ins before tiles",
            [](auto& g) {
                g.tileHotkeys["fill"] = "bad+key";
                g.layoutHotkey = "worse";
            },
            "Could not read hotkey worse." },
        { "tiles in table order",
            [](auto& g) {
                g.tileHotkeys["fill"] = "bad+key";
                g.tileHotkeys["focus_left"] = "worse";
            },
            "Could not read hotkey worse." },
        { "unknown tile ids are not read", [](auto& g) { g.tileHotkeys["bogus"] = "bad+key"; }, std::nullopt },
        { "leader key", [](auto& g) { g.leaderKey = "caps lock please"; },
            "Use a key name such as caps for the leader key, or leave it empty." },
        { "conflict", [](auto& g) { g.newAppHotkey = "ctrl+opt+f"; }, "ctrl+opt+f is already used." },
        { "conflict with the rest of the configuration", [](auto& g) { g.tileHotkeys["fill"] = "ctrl+opt+s"; },
            "ctrl+opt+s is already used." },
    };
    for (auto& c : cases) {
        auto general = config.general;
        c.change(general);
        EXPECT_EQ(validate(general, config), c.expected) << c.name;
    }
}

} // namespace
} // namespace quorvane
