#include "Agents/SetupChoices.h"

#include "Agents/LinuxTerminal.h"

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

TEST(SetupChoices, OffersInstalledTerminalsOrElseTheFallback)
{
    const std::set<std::string> installed = { "net.kovidgoyal.kitty", "com.googlecode.iterm2", "org.example.other" };
    auto isInstalled = [&](const std::string& id) { return installed.contains(id); };
    const SetupTerminal terminal { "Terminal", "com.apple.Terminal" };
    EXPECT_EQ(SetupChoices::installedTerminals(SetupChoices::macTerminals(), terminal, isInstalled),
        (std::vector<SetupTerminal> { { "iTerm", "com.googlecode.iterm2" }, { "kitty", "net.kovidgoyal.kitty" } }));
    EXPECT_EQ(SetupChoices::installedTerminals(
                  SetupChoices::macTerminals(), terminal, [](const std::string&) { return false; }),
        (std::vector<SetupTerminal> { terminal }));
}

#if defined(__linux__)
TEST(SetupChoices, LinuxOffersItsTerminalsByDesktopIdEachNameOnce)
{
    const std::set<std::string> installed = { "kitty", "xterm", "debian-xterm", "com.googlecode.iterm2" };
    EXPECT_EQ(SetupChoices::installedTerminals([&](const std::string& id) { return installed.contains(id); }),
        (std::vector<SetupTerminal> { { "XTerm", "xterm" }, { "kitty", "kitty" } }));
    EXPECT_EQ(SetupChoices::installedTerminals([](const std::string&) { return false; }),
        (std::vector<SetupTerminal> { { "Terminal", "x-terminal-emulator" } }));
}
#endif

TEST(TerminalCommand, EachTerminalRunsTheScriptItsOwnWay)
{
    using Words = std::vector<std::string>;
    const std::string script = "/home/a b/.config/quorvane/agent.command";
    const std::set<std::string> installed = { "org.gnome.Terminal", "org.kde.konsole", "xterm", "debian-xterm", "kitty",
        "Alacritty", "org.wezfurlong.wezterm", "com.mitchellh.ghostty", "org.example.term" };
    auto isInstalled = [&](const std::string& id) { return installed.contains(id); };
    const std::pair<std::string, Words> cases[] = {
        { "org.gnome.Terminal", { "gnome-terminal", "--", script } },
        { "org.kde.konsole", { "konsole", "-e", script } },
        { "xterm", { "xterm", "-e", script } },
        { "debian-xterm", { "xterm", "-e", script } },
        { "kitty", { "kitty", script } },
        { "Alacritty", { "alacritty", "-e", script } },
        { "org.wezfurlong.wezterm", { "wezterm", "start", "--", script } },
        { "com.mitchellh.ghostty", { "ghostty", "-e", script } },
        // Unknown ids, installed or not, and the macOS default go to the system's default terminal.
        { "org.example.term", { "x-terminal-emulator", "-e", script } },
        { "com.apple.Terminal", { "x-terminal-emulator", "-e", script } },
        { "", { "x-terminal-emulator", "-e", script } },
    };
    for (const auto& [id, words] : cases)
        EXPECT_EQ(terminalCommand(id, script, isInstalled), words) << id;
    // A known terminal that is not installed.
    EXPECT_EQ(terminalCommand("kitty", script, [](const std::string&) { return false; }),
        (Words { "x-terminal-emulator", "-e", script }));
}

} // namespace
} // namespace quorvane
