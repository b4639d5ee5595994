#include "Support/RegularExpression.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using Match = RegularExpression::Match;

struct Case {
    std::string_view pattern;
    std::string_view text;
    std::optional<Match> expected;
};

void expectFirstMatches(std::initializer_list<Case> cases, bool caseInsensitive = false, int32_t workLimit = 0)
{
    for (const Case& c : cases) {
        std::optional<RegularExpression> expression = RegularExpression::make(c.pattern, caseInsensitive);
        ASSERT_TRUE(expression) << c.pattern;
        EXPECT_EQ(expression->firstMatch(c.text, workLimit), c.expected) << c.pattern << " in " << c.text;
    }
}

std::vector<Match> allMatches(std::string_view pattern, std::string_view text, size_t most = 100)
{
    std::vector<Match> matches;
    RegularExpression::make(pattern)->forEachMatch(text, [&](const Match& match) {
        matches.push_back(match);
        return matches.size() < most;
    });
    return matches;
}

TEST(RegularExpression, PositionsAreByteOffsetsIntoTheText)
{
    expectFirstMatches({
        { "b+", "\u00E9 bb", Match { 3, 5, {} } },
        { "\\x{FFFD}", "a\xFF!", Match { 1, 2, {} } },
    });
    // Ill-formed sequences of one to three bytes and a scalar beyond the BMP before each match.
    std::vector<Match> expected = { { 1, 4, {} }, { 6, 9, {} }, { 12, 15, {} }, { 19, 22, {} } };
    EXPECT_EQ(allMatches("<a>", "\xFF<a>\xE2\x80<a>\xED\xA0\x80<a>\xF0\x9F\x98\x80<a>"), expected);
    EXPECT_EQ(allMatches("<a>", "<a><a><a>", 2), (std::vector<Match> { { 0, 3, {} }, { 3, 6, {} } }));
}

TEST(RegularExpression, GroupsThatTookNoPartAreNone)
{
    expectFirstMatches({
        { "(x)|(y)", "zy", Match { 1, 2, { std::nullopt, "y" } } },
        { "\\((\\d*)\\)", "() (12)", Match { 0, 2, { "" } } },
        { "=(\\S+)", "a=\u00E9\xFF", Match { 1, 5, { "\u00E9\uFFFD" } } },
    });
}

TEST(RegularExpression, CaseAndWorkLimit)
{
    expectFirstMatches({ { "<link\\b", "<LINK rel>", Match { 0, 5, {} } } }, true);
    expectFirstMatches({ { "<link\\b", "<LINK rel>", std::nullopt } });
    // The "x" is found only after backtracking through every split of the run of "a"; a limit gives up first.
    std::string slow = std::string(18, 'a') + "b x";
    expectFirstMatches({ { "(a+)+c|x", slow, Match { 20, 21, { std::nullopt } } } });
    expectFirstMatches(
        { { "(a+)+c|x", slow, std::nullopt }, { "(a+)+c|x", "ax", Match { 1, 2, { std::nullopt } } } }, false, 1);
    EXPECT_FALSE(RegularExpression::make("(unclosed"));
}

} // namespace
} // namespace quorvane
