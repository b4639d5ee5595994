#include "Agents/ShellQuote.h"

#include "TestSupport/TemporaryFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>

namespace quorvane {
namespace {

using Words = std::vector<std::string>;

TEST(ShellQuote, QuotesAndSplitsWords)
{
    EXPECT_EQ(ShellQuote::command({ "it's", "", "big one" }), "'it'\"'\"'s' '' 'big one'");
    EXPECT_EQ(ShellQuote::launchScript("/Users/a/.config/quorvane", { "claude" }),
        "#!/bin/sh\ncd -- '/Users/a/.config/quorvane' || exit 1\nexec 'claude'");

    const std::vector<std::pair<std::string, Words>> lines = {
        { "claude --model \"big one\"", { "claude", "--model", "big one" } },
        { "a\\ b \t\n c", { "a b", "c" } },
        { " \t\n ", {} },
        { "x '' \"\" y", { "x", "y" } },
        { "'a\\b' \"c\\\"d\" say' it 'loud", { "a\\b", "c\"d", "say it loud" } },
        { "'unclosed quote", { "unclosed quote" } },
        { "trailing\\", { "trailing" } },
        { "no\u00a0break", { "no", "break" } },
    };
    for (const auto& [line, words] : lines)
        EXPECT_EQ(ShellQuote::split(line), words) << line;
}

TEST(ShellQuote, SplitUndoesCommandForAnyWords)
{
    // Quotes, escapes, blanks, shell specials, multi-byte text and a combining mark that would fuse with a quote.
    const Words alphabet = { "a", "0", " ", "\t", "\n", "'", "\"", "\\", "$", "`", "*", ";", "-", "é", "\u0301", "😀" };
    std::mt19937 random(20260);
    std::uniform_int_distribution<size_t> letter(0, alphabet.size() - 1), length(1, 8), count(1, 5);
    for (int trial = 0; trial < 2000; ++trial) {
        Words words(count(random));
        for (std::string& word : words) {
            for (size_t size = length(random); size > 0; --size)
                word += alphabet[letter(random)];
        }
        ASSERT_EQ(ShellQuote::split(ShellQuote::command(words)), words) << ShellQuote::command(words);
    }
}

TEST(ShellQuote, TheLaunchScriptRunsTheWordsInTheWorkingFolder)
{
    test::TemporaryFolder folder;
    std::string working = folder.file("it's a \"$HOME\" `folder`\\");
    std::filesystem::create_directories(working);
    Words words = { "it's", "two words", "$HOME", "\"quoted\"", "back\\slash", "`date`", "tab\tand\nline", "*", "-n" };
    // The words are printed into the file named by the shell's $0.
    Words argv = { "/bin/sh", "-c", "printf '%s\\0' \"$PWD\" \"$@\" >\"$0\"", folder.file("out") };
    argv.insert(argv.end(), words.begin(), words.end());
    std::string expected = working + '\0';
    for (const std::string& word : words)
        expected += word + '\0';

    std::string script = folder.file("agent.command");
    std::string run = "/bin/sh " + ShellQuote::single(script) + " 2>/dev/null";
    test::writeFile(script, ShellQuote::launchScript(working, argv));
    EXPECT_EQ(std::system(run.c_str()), 0);
    EXPECT_EQ(test::readFile(folder.file("out")), expected);
    test::writeFile(script, ShellQuote::launchScript(folder.file("missing"), argv));
    EXPECT_EQ(WEXITSTATUS(std::system(run.c_str())), 1);
}

} // namespace
} // namespace quorvane
