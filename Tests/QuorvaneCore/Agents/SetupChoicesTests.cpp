#include "Agents/SetupChoices.h"

#include <gtest/gtest.h>
#include <set>

namespace quorvane {
namespace {

using Folders = std::vector<std::string>;

TEST(SetupChoices, SearchesThePathThenTheUsualFoldersOnce)
{
    EXPECT_EQ(SetupChoices::commandDirectories("/usr/bin::/usr/local/bin:/bin:", "/h"),
        (Folders { "/usr/bin", "/usr/local/bin", "/bin", "/opt/homebrew/bin", "/h/.local/bin", "/h/bin" }));
    EXPECT_EQ(SetupChoices::commandDirectories("", "/h"),
        (Folders { "/opt/homebrew/bin", "/usr/local/bin", "/h/.local/bin", "/h/bin" }));
}

TEST(SetupChoices, FindsEachAgentInTheFirstFolderThatHasIt)
{
    const std::set<std::string> executables
        = { "/h/.local/bin/claude", "/usr/local/bin/claude", "/opt/homebrew/bin/aider", "/h/bin/gemini" };
    auto isExecutable = [&](const std::string& path) { return executables.contains(path); };
    EXPECT_EQ(SetupChoices::installedAgents("/usr/local/bin", "/h", isExecutable),
        (std::vector<SetupAgent> {
            { "Claude", "/usr/local/bin/claude" },
            { "Gemini", "/h/bin/gemini" },
            { "Aider", "/opt/homebrew/bin/aider" },
        }));
    EXPECT_TRUE(SetupChoices::installedAgents("", "/h", [](const std::string&) { return false; }).empty());
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
