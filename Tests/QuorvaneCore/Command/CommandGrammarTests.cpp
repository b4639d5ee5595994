#include "Command/CommandGrammar.h"

#include "Command/CommandParser.h"
#include "Command/HelpText.h"
#include "Command/Invocation.h"
#include "Support/QuorvaneError.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using Words = std::vector<std::string>;

// The form's words, a word for each operand and a value for each required option.
Words sampleLine(const GrammarCommand& form, size_t operands)
{
    Words words(form.words.begin(), form.words.end());
    for (size_t index = 0; index < operands; ++index)
        words.push_back("word" + std::to_string(index + 1));
    for (const auto& [name, use] : form.options) {
        if (use == OptionUse::required)
            words.insert(words.end(), { "--" + std::string(name), "1" });
    }
    return words;
}

TEST(CommandGrammar, EveryFormParsesAndNeedsItsOperands)
{
    for (const GrammarCommand& form : CommandGrammar::commands()) {
        SCOPED_TRACE(form.usage());
        Invocation invocation = CommandParser::parse(sampleLine(form, form.operands.size()));
        EXPECT_EQ(invocation.command.is<Command::Help>(), form.words == std::vector<std::string_view> { "help" });
        EXPECT_EQ(invocation.command.isDestructive(), form.destructive);
        if (!form.operands.empty()) {
            EXPECT_THROW(CommandParser::parse(sampleLine(form, form.operands.size() - 1)), QuorvaneError);
        }
    }
}

TEST(CommandGrammar, TheHelpScreenListsTheFormsMarkedForIt)
{
    std::string help(HelpText::text());
    size_t begin = help.find("Usage:\n") + 7;
    std::string listed = help.substr(begin, help.find("\n\n", begin) - begin + 1);
    std::string expected;
    for (const GrammarCommand& form : CommandGrammar::commands()) {
        if (form.inHelp)
            expected += "  quorvane " + form.usage() + "\n";
    }
    EXPECT_EQ(listed, expected);
}

TEST(CommandGrammar, TheParserTakesExactlyTheValueOptionsOfTheTable)
{
    for (const GrammarOption& option : CommandGrammar::options()) {
        SCOPED_TRACE(option.name);
        std::string word = "--" + std::string(option.name) + "=1";
        if (option.takesValue()) {
            EXPECT_NO_THROW(CommandParser::parse({ "ping", word }));
        } else {
            EXPECT_THROW(CommandParser::parse({ "ping", word }), QuorvaneError);
        }
        EXPECT_NE(option.summary, "");
    }
    EXPECT_THROW(CommandParser::parse({ "ping", "--colour=1" }), QuorvaneError);
    for (const GrammarCommand& form : CommandGrammar::commands()) {
        for (const auto& [name, use] : form.options)
            EXPECT_TRUE(CommandGrammar::option(name) && CommandGrammar::option(name)->takesValue()) << name;
    }
}

TEST(CommandGrammar, GroupsInOrderOfFirstUse)
{
    EXPECT_EQ(CommandGrammar::groups(),
        (std::vector<std::string_view> {
            "app", "hotkey", "tile", "rule", "layout", "config", "apply", "doctor", "skill", "ping", "version", "help" }));
}

} // namespace
} // namespace quorvane
