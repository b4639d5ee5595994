#include "Agents/SetupChoices.h"

#include <gtest/gtest.h>
#include <set>

namespace quorvane {
namespace {

TEST(SetupChoices, SearchesThePathThenTheUsualFoldersOnce)
{
    EXPECT_EQ(SetupChoices::commandDirectories("/usr/bin::/usr/local/bin:/bin:", "/h"),
        (std::vector<std::string> {
            "/usr/bin", "/usr/local/bin", "/bin", "/opt/homebrew/bin", "/h/.local/bin", "/h/bin" }));

    const std::set<std::string> executables
        = { "/h/.local/bin/claude", "/usr/local/bin/claude", "/opt/homebrew/bin/aider", "/h/bin/gemini" };
    EXPECT_EQ(SetupChoices::installedAgents(
                  "/usr/local/bin", "/h", [&](const std::string& path) { return executables.contains(path); }),
        (std::vector<SetupAgent> {
            { "Claude", "/usr/local/bin/claude" },
            { "Gemini", "/h/bin/gemini" },
            { "Aider", "/opt/homebrew/bin/aider" },
        }));
}

TEST(SetupChoices, OffersInstalledTerminalsOrElseTerminal)
{
    const std::set<std::string> installed = { "net.kovidgoyal.kitty", "com.googlecode.iterm2", "org.example.other" };
    EXPECT_EQ(SetupChoices::installedTerminals([&](const std::string& id) { return installed.contains(id); }),
        (std::vector<SetupTerminal> { { "iTerm", "com.googlecode.iterm2" }, { "kitty", "net.kovidgoyal.kitty" } }));
    EXPECT_EQ(SetupChoices::installedTerminals([](const std::string&) { return false; }),
        (std::vector<SetupTerminal> { { "Terminal", "com.apple.Terminal" } }));
}

} // namespace
} // namespace quorvane
