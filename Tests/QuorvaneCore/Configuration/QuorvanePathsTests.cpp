#include "Configuration/QuorvanePaths.h"

#include <gtest/gtest.h>

#include <map>

namespace quorvane {
namespace {

using Environment = std::map<std::string, std::string>;

QuorvanePaths pathsUnder(const Environment& environment, std::string home = "/home/a")
{
    return QuorvanePaths::fromEnvironment(std::move(home), [&](std::string_view name) -> std::optional<std::string> {
        auto found = environment.find(std::string(name));
        return found == environment.end() ? std::nullopt : std::optional(found->second);
    });
}

TEST(QuorvanePaths, EveryPlaceWithAndWithoutTheVariables)
{
    QuorvanePaths plain = pathsUnder({});
    EXPECT_EQ(plain.configFile(), "/home/a/.config/quorvane/config.toml");
    EXPECT_EQ(plain.socketFile(), "/home/a/.local/share/quorvane/quorvane.sock");
    EXPECT_EQ(plain.fallbackSocketFile(), "/home/a/.config/quorvane/quorvane.sock");
    EXPECT_EQ(plain.commandFile(), "/home/a/.config/quorvane/agent.command");
    EXPECT_EQ(plain.updateStampFile(), "/home/a/.local/share/quorvane/update-check.json");
    EXPECT_EQ(plain.accessibilityGrantFile(), "/home/a/.local/share/quorvane/accessibility-grant.txt");
    EXPECT_EQ(plain.appsDirectory(), "/home/a/.local/share/quorvane/apps");
    EXPECT_EQ(plain.autostartDirectory(), "/home/a/.config/autostart");
    EXPECT_EQ(plain.cacheDirectory(), "/home/a/.cache/quorvane");
    EXPECT_EQ(plain.preferredCLILinks(),
        (std::vector<std::string> { "/usr/local/bin/quorvane", "/home/a/.local/bin/quorvane" }));

    QuorvanePaths xdg
        = pathsUnder({ { "XDG_CONFIG_HOME", "/c" }, { "XDG_DATA_HOME", "/d" }, { "XDG_RUNTIME_DIR", "/r" },
            { "XDG_CACHE_HOME", "/k" } });
    EXPECT_EQ(xdg.configFile(), "/c/quorvane/config.toml");
    EXPECT_EQ(xdg.socketFile(), "/r/quorvane/quorvane.sock");
    EXPECT_EQ(xdg.fallbackSocketFile(), "/c/quorvane/quorvane.sock");
    EXPECT_EQ(xdg.commandFile(), "/c/quorvane/agent.command");
    EXPECT_EQ(xdg.updateStampFile(), "/d/quorvane/update-check.json");
    EXPECT_EQ(xdg.accessibilityGrantFile(), "/d/quorvane/accessibility-grant.txt");
    EXPECT_EQ(xdg.appsDirectory(), "/d/quorvane/apps");
    EXPECT_EQ(xdg.autostartDirectory(), "/c/autostart");
    EXPECT_EQ(xdg.cacheDirectory(), "/k/quorvane");
    EXPECT_EQ(xdg.preferredCLILinks(), plain.preferredCLILinks());
}

TEST(QuorvanePaths, OnlyAbsoluteValuesCount)
{
    struct Case {
        std::string value;
        std::string configDirectory, applicationSupport, socketFile;
    };
    const std::vector<Case> cases {
        { "/x", "/x/quorvane", "/x/quorvane", "/x/quorvane/quorvane.sock" },
        { "/x//", "/x/quorvane", "/x/quorvane", "/x/quorvane/quorvane.sock" },
        { "", "/home/a/.config/quorvane", "/home/a/.local/share/quorvane",
            "/home/a/.local/share/quorvane/quorvane.sock" },
        { "x", "/home/a/.config/quorvane", "/home/a/.local/share/quorvane",
            "/home/a/.local/share/quorvane/quorvane.sock" },
        { "./x", "/home/a/.config/quorvane", "/home/a/.local/share/quorvane",
            "/home/a/.local/share/quorvane/quorvane.sock" },
        { "~/x", "/home/a/.config/quorvane", "/home/a/.local/share/quorvane",
            "/home/a/.local/share/quorvane/quorvane.sock" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("value \"" + c.value + "\"");
        // Each variable moves only its own places.
        EXPECT_EQ(pathsUnder({ { "XDG_CONFIG_HOME", c.value } }).configDirectory(), c.configDirectory);
        EXPECT_EQ(pathsUnder({ { "XDG_CONFIG_HOME", c.value } }).applicationSupport(), "/home/a/.local/share/quorvane");
        EXPECT_EQ(pathsUnder({ { "XDG_DATA_HOME", c.value } }).applicationSupport(), c.applicationSupport);
        EXPECT_EQ(pathsUnder({ { "XDG_DATA_HOME", c.value } }).configDirectory(), "/home/a/.config/quorvane");
        EXPECT_EQ(pathsUnder({ { "XDG_RUNTIME_DIR", c.value } }).socketFile(), c.socketFile);
        EXPECT_EQ(pathsUnder({ { "XDG_RUNTIME_DIR", c.value } }).configDirectory(), "/home/a/.config/quorvane");
    }
}

TEST(QuorvanePaths, ASocketPathTooLongFallsBackUnderTheConfigFolder)
{
    // 103 bytes exactly, then one more.
    std::string runtime = "/run/user/" + std::string(70, 'r');
    std::string primary = runtime + "/quorvane/quorvane.sock";
    EXPECT_EQ(pathsUnder({ { "XDG_RUNTIME_DIR", runtime } }).resolvedSocketFile(103), primary);
    EXPECT_EQ(pathsUnder({ { "XDG_RUNTIME_DIR", runtime + "r" } }).resolvedSocketFile(103),
        "/home/a/.config/quorvane/quorvane.sock");
    EXPECT_EQ(pathsUnder({ { "XDG_RUNTIME_DIR", runtime + "r" }, { "XDG_CONFIG_HOME", "/c" } }).resolvedSocketFile(103),
        "/c/quorvane/quorvane.sock");
    // The limit counts UTF-8 bytes: 68 characters, 108 bytes.
    std::string accents;
    for (int i = 0; i < 40; ++i)
        accents += "\u00E9";
    EXPECT_EQ(pathsUnder({ { "XDG_RUNTIME_DIR", "/run/" + accents } }).resolvedSocketFile(103),
        "/home/a/.config/quorvane/quorvane.sock");
}

} // namespace
} // namespace quorvane
