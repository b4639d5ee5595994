#include "Command/CommandParser.h"

#include "Command/Invocation.h"
#include "Support/QuorvaneError.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using Words = std::vector<std::string>;

Invocation parse(const Words& words)
{
    return CommandParser::parse(words);
}

void expectCommand(const Words& words, const Command::Value& expected)
{
    SCOPED_TRACE(::testing::PrintToString(words));
    Invocation invocation;
    ASSERT_NO_THROW(invocation = parse(words));
    EXPECT_TRUE(invocation.command == Command { expected });
}

void expectError(const Words& words, const std::string& message)
{
    SCOPED_TRACE(::testing::PrintToString(words));
    try {
        parse(words);
        ADD_FAILURE() << "parsed without an error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error, QuorvaneError::usage(message));
    }
}

TEST(CommandParser, HelpAndVersionShortCircuit)
{
    expectCommand({}, Command::Help {});
    expectCommand({ "help", "app" }, Command::Help {});
    expectCommand({ "app", "-h" }, Command::Help {});
    expectCommand({ "--help", "--bogus" }, Command::Help {});
    expectCommand({ "nonsense", "--version", "--bogus" }, Command::Version {});
    expectError({ "--bogus", "--help" }, "Unknown option --bogus.");
}

TEST(CommandParser, FlagsMayStandAnywhere)
{
    EXPECT_TRUE(parse({ "--json", "app", "list" }).json);
    EXPECT_TRUE(parse({ "--json", "app", "list" }) == parse({ "app", "list", "--json" }));
    Invocation all
        = parse({ "--yes", "hotkey", "--config", "a.toml", "unset", "--timeout=0.25", "--config=b.toml", "x" });
    EXPECT_TRUE(all.yes);
    EXPECT_EQ(all.configPath, "b.toml");
    EXPECT_EQ(all.timeout, 0.25);
    EXPECT_TRUE((all.command == Command { Command::HotkeyUnset { "x" } }));
}

TEST(CommandParser, ValueOptions)
{
    expectCommand({ "app", "add", "u", "--name=" }, Command::AppAdd { "u", "" });
    expectCommand({ "app", "add", "u", "--name=a=b", "--name", "c" }, Command::AppAdd { "u", "c" });
    expectCommand({ "app", "add", "u", "--", "--name", "x" }, Command::AppAdd { "u" });
    expectCommand({ "app", "add", "u", "--name", "--json" }, Command::AppAdd { "u", "--json" });
    expectCommand(
        { "app", "add", "u", "--hotkey", "opt+m", "--tile", "fill", "--icon", "i", "--css", "c", "--js", "j" },
        Command::AppAdd { "u", std::nullopt, "opt+m", "fill", "i", "c", "j" });
    expectCommand({ "rule", "add", "Safari", "--tile", "fill", "--display", "2", "--title", "^Doc" },
        Command::RuleAdd { "Safari", "fill", 2, "^Doc" });
    expectCommand({ "tile", "Safari", "left-half", "--title", "ignored" }, Command::Tile { "Safari", "left-half" });
}

TEST(CommandParser, OptionFailures)
{
    expectError({ "--json=1" }, "Unknown option --json.");
    expectError(
        { "--frameless" }, "Window style is set in Settings \u203A Tiling. --frameless and --titlebar are not used.");
    expectError({ "app", "list", "--name" }, "--name needs a value.");
    expectError({ "app", "list", "--config", "" }, "--config needs a value.");
    expectError({ "app", "list", "--config=" }, "--config needs a value.");
    for (const char* timeout : { "0", "-1", "abc", "", "1x", "inf", "nan", "-0" })
        expectError({ "ping", "--timeout", timeout }, "--timeout needs a positive number of seconds.");
    EXPECT_EQ(parse({ "ping", "--timeout", "+2" }).timeout, 2.0);
}

TEST(CommandParser, DisplayNumbers)
{
    expectCommand({ "tile", "S", "fill", "--display", "+2" }, Command::Tile { "S", "fill", 2 });
    expectCommand({ "tile", "S", "fill", "--display=9223372036854775807" }, Command::Tile { "S", "fill", INT64_MAX });
    for (const char* display :
        { "0", "-0", "-3", "x", "", "+", "1.0", " 1", "9223372036854775808", "99999999999999999999" })
        expectError({ "tile", "S", "fill", "--display", display }, "Display numbers start at 1.");
}

// Plain command words are run end to end by the router's tests; these are the ones with a twist.
TEST(CommandParser, CommandWords)
{
    expectCommand({ "version", "extra" }, Command::Version {});
    expectCommand({ "config", "apply", "now" }, Command::Apply {});
    expectCommand({ "doctor", "x" }, Command::Doctor {});
}

TEST(CommandParser, CommandFailures)
{
    expectError({ "Help" }, "Unknown command Help. Try quorvane help.");
    expectError({ "--", "-h" }, "Unknown command -h. Try quorvane help.");
    expectError({ "apply", "now" }, "apply takes no arguments.");
    expectError({ "app", "add" }, "Usage: quorvane app add <url> --name <name>");
    expectError({ "app", "remove" }, "Usage: quorvane app remove <name>");
    expectError({ "app", "rm" }, "Unknown app command rm.");
    expectError({ "hotkey", "set", "opt+cmd+m" }, "Usage: quorvane hotkey set <chord> <app>");
    expectError({ "hotkey", "unset" }, "Usage: quorvane hotkey unset <chord>");
    expectError({ "hotkey", "del" }, "Unknown hotkey command del.");
    expectError({ "tile", "Safari" }, "Usage: quorvane tile <app> <tile>");
    expectError({ "rule", "add" }, "Usage: quorvane rule add <app> --tile <tile>");
    expectError({ "rule", "add", "Safari" }, "rule add needs --tile.");
    expectError({ "rule", "remove" }, "Usage: quorvane rule remove <app>");
    expectError({ "rule", "drop" }, "Unknown rule command drop.");
    expectError({ "layout" }, "Usage: quorvane layout list");
    expectError({ "layout", "save" }, "Usage: quorvane layout save <name>");
    expectError({ "layout", "apply" }, "Usage: quorvane layout apply <name>");
    expectError({ "layout", "x" }, "Unknown layout command x.");
    expectError({ "config" }, "Usage: quorvane config show");
    expectError({ "config", "edit" }, "Unknown config command edit.");
    expectError({ "skill" }, "Usage: quorvane skill paths");
    expectError({ "skill", "install" }, "Usage: quorvane skill install <folder>");
    expectError({ "skill", "uninstall" }, "Usage: quorvane skill uninstall <folder>");
    expectError({ "skill", "x" }, "Unknown skill command x.");
}

// Every other command runs without --yes in the router's tests.
TEST(CommandParser, DestructiveCommands)
{
    for (const Words& words : std::vector<Words> { { "app", "remove", "x" }, { "hotkey", "unset", "x" },
             { "rule", "remove", "x" }, { "skill", "uninstall", "x" } })
        EXPECT_TRUE(parse(words).command.isDestructive()) << words[0];
}

} // namespace
} // namespace quorvane
