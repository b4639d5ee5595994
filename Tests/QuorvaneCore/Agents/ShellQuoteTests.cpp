#include "Agents/ShellQuote.h"

#include "TestSupport/TemporaryFolder.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>

namespace quorvane {
namespace {

using Words = std::vector<std::string>;

void expectSplit(const std::string& text, const Words& words)
{
    EXPECT_EQ(ShellQuote::split(text), words) << text;
}

struct ShellRun {
    std::string output;
    int exitStatus = -1;
};

ShellRun runWithShell(const std::string& script)
{
    ShellRun run;
    FILE* pipe = ::popen(("/bin/sh " + ShellQuote::single(script)).c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    while (size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, count);
    int status = ::pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ShellQuote, QuotesEveryWordAsOneShellWord)
{
    EXPECT_EQ(ShellQuote::single("it's"), "'it'\"'\"'s'");
    EXPECT_EQ(ShellQuote::single(""), "''");
    EXPECT_EQ(ShellQuote::command({ "claude", "--model", "big one" }), "'claude' '--model' 'big one'");
    EXPECT_EQ(ShellQuote::launchScript("/Users/a/.config/quorvane", { "claude" }),
        "#!/bin/sh\ncd -- '/Users/a/.config/quorvane' || exit 1\nexec 'claude'");
}

TEST(ShellQuote, SplitsATypedLine)
{
    expectSplit("claude --model \"big one\"", { "claude", "--model", "big one" });
    expectSplit("a\\ b  c", { "a b", "c" });
    expectSplit(" \t\n ", {});
    expectSplit("x '' \"\" y", { "x", "y" });
    expectSplit("'a\\b' \"c\\\"d\"", { "a\\b", "c\"d" });
    expectSplit("say' it 'loud", { "say it loud" });
    expectSplit("'unclosed quote", { "unclosed quote" });
    expectSplit("trailing\\", { "trailing" });
    expectSplit("no\u00a0break", { "no", "break" });
}

TEST(ShellQuote, SplitUndoesCommandForAnyWords)
{
    // Quotes, escapes, blanks, shell specials, multi-byte text and a combining mark that would fuse with a quote.
    const Words alphabet
        = { "a", "Z", "0", " ", "\t", "\n", "'", "\"", "\\", "$", "`", "*", ";", "|", "-", "é", "\u0301", "😀" };
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
    Words argv = { "/bin/sh", "-c", "printf '%s\\0' \"$PWD\" \"$@\"", "sh" };
    argv.insert(argv.end(), words.begin(), words.end());

    std::string script = folder.file("agent.command");
    test::writeFile(script, ShellQuote::launchScript(working, argv));
    ShellRun run = runWithShell(script);

    std::string expected = working + '\0';
    for (const std::string& word : words)
        expected += word + '\0';
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, expected);

    test::writeFile(script, ShellQuote::launchScript(folder.file("missing"), argv));
    run = runWithShell(script);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.output, "");
}

} // namespace
} // namespace quorvane
