#include "TOML/TOMLParser.h"

#include "Support/ExitCode.h"
#include "Support/QuorvaneError.h"
#include "TOMLTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using namespace test;
using Nodes = std::vector<TOMLNode>;

void expectNodes(std::string_view text, const Nodes& nodes)
{
    EXPECT_EQ(TOMLParser(text).parse(), nodes) << "text: " << text;
}

// Reads `x = <value>` and compares the one value.
void expectValue(const std::string& value, const TOMLValue& expected)
{
    expectNodes("x = " + value + "\n", { TOMLNode::key({}, "x", expected) });
}

void expectValues(const std::vector<std::pair<std::string, TOMLValue>>& cases)
{
    for (const auto& [text, value] : cases)
        expectValue(text, value);
}

void expectError(std::string_view text, const std::string& message)
{
    try {
        TOMLParser(text).parse();
        ADD_FAILURE() << "parsed: " << text;
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), message) << "text: " << text;
        EXPECT_EQ(error.code(), "config");
        EXPECT_EQ(error.exitCode(), ExitCode::config);
    }
}

void expectErrors(std::initializer_list<std::string_view> texts, const std::string& message)
{
    for (std::string_view text : texts)
        expectError(text, message);
}

TEST(TOMLParser, GroupsBlankAndCommentLinesIntoRawNodes)
{
    expectNodes("", {});
    expectNodes("# one\n\n  # two\n", { TOMLNode::raw("# one\n\n  # two\n") });
    expectNodes("a = 1\n# last", { TOMLNode::key({}, "a", integer(1)), TOMLNode::raw("# last") });
    expectNodes("\n[t]\n  \n# c\nk = 1\n  ",
        { TOMLNode::raw("\n"), TOMLNode::header({ "t" }), TOMLNode::raw("  \n# c\n"),
            TOMLNode::key({ "t" }, "k", integer(1)), TOMLNode::raw("  ") });
}

TEST(TOMLParser, PlacesKeysInTheirTables)
{
    expectNodes("v = 1\n[general]\ntile_gap = 8\n",
        { TOMLNode::key({}, "v", integer(1)), TOMLNode::header({ "general" }),
            TOMLNode::key({ "general" }, "tile_gap", integer(8)) });
    expectNodes("[x]\na.b = 1\n", { TOMLNode::header({ "x" }), TOMLNode::key({ "x", "a" }, "b", integer(1)) });
    expectNodes("[apps . \"my app\"]\n a . \"b c\"=2\n",
        { TOMLNode::header({ "apps", "my app" }), TOMLNode::key({ "apps", "my app", "a" }, "b c", integer(2)) });
    expectNodes("[general ]\n", { TOMLNode::header({ "general" }) });
    expectNodes("[a.b] # sub  \n", { TOMLNode::header({ "a", "b" }, "# sub") });
    expectNodes("clé-ключ_1 = 1\n", { TOMLNode::key({}, "clé-ключ_1", integer(1)) });
    expectNodes("\"\" = 1\n", { TOMLNode::key({}, "", integer(1)) });
}

TEST(TOMLParser, KeepsTrailingCommentsAndReadsOnAfterAValue)
{
    expectNodes("x = 3 # note\n", { TOMLNode::key({}, "x", integer(3), "# note") });
    expectNodes("x = 3#note\t\n", { TOMLNode::key({}, "x", integer(3), "#note") });
    expectNodes("a = 1 b = 2\n", { TOMLNode::key({}, "a", integer(1)), TOMLNode::key({}, "b", integer(2)) });
    expectNodes("[t] k = true", { TOMLNode::header({ "t" }), TOMLNode::key({ "t" }, "k", boolean(true)) });
}

TEST(TOMLParser, ReadsValues)
{
    expectValues({ { "true", boolean(true) }, { "false", boolean(false) }, { "0", integer(0) }, { "-12", integer(-12) },
        { "-9223372036854775808", integer(INT64_MIN) }, { "-0.25", decimal(-0.25) }, { "2.0", decimal(2.0) },
        { "1.", decimal(1.0) } });
    // Too small for a double reads as zero rather than failing.
    expectValue("0." + std::string(400, '0') + "1", decimal(0.0));
    expectValues({ { R"("")", str("") }, { R"("a\tb\nc\rd\\e\"f")", str("a\tb\nc\rd\\e\"f") },
        { R"("\q\u0041")", str("qA") }, { "\"\"\"\nhello\n\"\"\"", str("hello\n") },
        { "\"\"\"one \"two\" \"\"\n\\t\\\"\"\"\"", str("one \"two\" \"\"\n\t\"") }, { "\"\"\"a\"\"\"", str("a") } });
    expectValues(
        { { R"([1, "two", [3]])", TOMLValue::array({ integer(1), str("two"), TOMLValue::array({ integer(3) }) }) },
            { "[ ]", TOMLValue::array({}) }, { "[1, 2,]", TOMLValue::array({ integer(1), integer(2) }) },
            { "[\n  1, # one\n\n  2 # two\n]", TOMLValue::array({ integer(1), integer(2) }) },
            { R"({ bundle = "com.apple.Mail", "a b" = { c = [] }, })",
                TOMLValue::table({ { "bundle", str("com.apple.Mail") },
                    { "a b", TOMLValue::table({ { "c", TOMLValue::array({}) } }) } }) },
            { "{}", TOMLValue::table({}) },
            { "{ a = 1, a = 2 }", TOMLValue::table({ { "a", integer(1) }, { "a", integer(2) } }) } });
}

// Escapes name scalars as TOML writes them; anything else after the backslash keeps reading as itself.
TEST(TOMLParser, ReadsUnicodeEscapes)
{
    expectValues({ { R"("\u001B[31m\u0007\u0000")", str(std::string("\x1B[31m\x07\0", 7)) },
        { R"("\u00e9\U0001F600\u12345")", str("\u00E9\U0001F600\u12345") },
        { "\"\"\"\n\\u0007\n\"\"\"", str("\x07\n") }, { R"("\u004")", str("u004") }, { R"("\uD800")", str("uD800") },
        { R"("\U00110000")", str("U00110000") }, { "\"\\u0041\u0301\"", str("A\u0301") },
        { R"("\u+041")", str("u+041") }, { R"("\user")", str("user") } });
}

// Valid TOML that other tools write: read as they mean it, since every edit writes the value again.
TEST(TOMLParser, ReadsBackspaceAndFormFeedEscapesAndLineEndingBackslashes)
{
    expectValues({ { R"("a\bb\fc")", str("a\bb\fc") }, { "\"\"\"a\\\n   b\"\"\"", str("ab") },
        { "\"\"\"\none \\  \t\n\n   two\\\n\"\"\"", str("one two") }, { "\"\"\"a\\ b\"\"\"", str("a b") },
        { "\"\"\"a\\\\\nb\"\"\"", str("a\\\nb") } });
}

TEST(TOMLParser, IntViewAcceptsWholeDoublesInRange)
{
    EXPECT_EQ(integer(42).intValue(), 42);
    EXPECT_EQ(decimal(2.0).intValue(), 2);
    EXPECT_EQ(decimal(-9223372036854775808.0).intValue(), INT64_MIN);
    EXPECT_EQ(decimal(9223372036854775808.0).intValue(), std::nullopt);
    EXPECT_EQ(decimal(2.5).intValue(), std::nullopt);
    EXPECT_EQ(str("2").intValue(), std::nullopt);
}

TEST(TOMLParser, ReportsEachFaultWithItsLine)
{
    expectError("[[apps]]\n", "Config line 1: Quorvane's config does not use array tables.");
    expectError("\n[general\n", "Config line 2: A table header is missing ].");
    expectErrors({ "[ general]\n", "'lit' = 1\n", "[a.]\n" }, "Config line 1: Expected a key.");
    expectError("\n\n\n\n\n\ngeneral.tile_gap 8\n", "Config line 7: Expected = after general.tile_gap.");
    expectError("a = 1 b\n", "Config line 1: Expected = after b.");
    expectError("a = 1e5\n", "Config line 1: Expected = after e5.");
    expectError("a =", "Config line 1: Expected a value.");
    expectError("a = [1,\n", "Config line 2: Expected a value.");
    expectErrors({ "a = 'x'\n", "a = +1\n", "a = inf\n" }, "Config line 1: Unsupported value.");
    expectError("a = trueish\n", "Config line 1: Expected = after ish.");
    expectError("a = fals\n", "Config line 1: Expected true or false.");
    expectError("a = \"abc\nb = 1\n", "Config line 1: A string is missing its closing quote.");
    expectError("a = \"abc\\", "Config line 1: A string ends in a backslash.");
    expectError("a = \"\"\"\nabc\n\"\"", "Config line 3: A multiline string is missing its closing quotes.");
    expectError("a = [1 2]\n", "Config line 1: An array is missing ] .");
    expectError("a = [1\n", "Config line 2: An array is missing ] .");
    expectErrors({ "a = { b 1 }\n", "a = { b.c = 1 }\n" }, "Config line 1: Expected = in an inline table.");
    expectErrors({ "a = { b = 1 c = 2 }\n", "a = { b = 1" }, "Config line 1: An inline table is missing } .");
    expectError("a = 99999999999999999999\n", "Config line 1: \u201C99999999999999999999\u201D is not a number.");
    expectError("a = -\n", "Config line 1: \u201C-\u201D is not a number.");
    expectError("a = \u0663\n", "Config line 1: \u201C\u0663\u201D is not a number.");
    std::string huge = "1" + std::string(400, '0') + ".5";
    expectError("a = " + huge + "\n", "Config line 1: \u201C" + huge + "\u201D is not a number.");
}

// A hostile file chooses how deeply values nest, so the depth is bounded instead of the reader's stack.
TEST(TOMLParser, BoundsHowDeeplyValuesNest)
{
    auto repeated = [](std::string_view part, size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text += part;
        return text;
    };
    size_t limit = TOMLParser::maximumNesting;
    EXPECT_NO_THROW(TOMLParser("x = " + repeated("[", limit) + repeated("]", limit)).parse());
    EXPECT_NO_THROW(TOMLParser("x = " + repeated("{a=", limit) + "1" + repeated("}", limit)).parse());
    std::string tooDeep = "Arrays and inline tables nest more than 256 levels deep.";
    expectError("x = " + repeated("[", limit + 1) + repeated("]", limit + 1), "Config line 1: " + tooDeep);
    expectError("x = " + repeated("[", 30000), "Config line 1: " + tooDeep);
    expectError("x = " + repeated("{a=", 30000), "Config line 1: " + tooDeep);
    expectError("a = 1\nx = [\n" + repeated("{a=[", 20000), "Config line 3: " + tooDeep);
}

TEST(TOMLParser, SkipsAByteOrderMarkAtTheStartOnly)
{
    expectNodes("\xEF\xBB\xBFx = 1\n", { TOMLNode::key({}, "x", integer(1)) });
    expectNodes("\xEF\xBB\xBF# c\n", { TOMLNode::raw("# c\n") });
    expectError("x = 1\n\xEF\xBB\xBFy = 2\n", "Config line 2: Expected a key.");
}

TEST(TOMLParser, CountsLinesInsideValues)
{
    expectError("a = [\n1, # c\n\n2]\nb = [1 2]\n", "Config line 5: An array is missing ] .");
    expectError("a = \"\"\"\n\n\"\"\"\nb = 'x'\n", "Config line 4: Unsupported value.");
    expectError("a = \"x\\\ny\"\nb = 'x'\n", "Config line 3: Unsupported value.");
    expectError("# c\n\n{\n", "Config line 3: Expected a key.");
}

// A combining mark or joiner fuses with the character before it into one grapheme cluster, and a
// prepended mark with the character after it; syntax characters are still found on their own.
TEST(TOMLParser, FindsSyntaxInsideGraphemeClusters)
{
    expectValues(
        { { "\"\u0301tail\"", str("\u0301tail") }, { "\"\u200D\"", str("\u200D") }, { "\"\uFE0F\"", str("\uFE0F") },
            { "\"end\u0600\"", str("end\u0600") }, { "\"\"\"\n\u0301\"\"\"", str("\u0301") },
            { "[\"a\",\"\u0301\"]", TOMLValue::array({ str("a"), str("\u0301") }) },
            { "\"\u0D4E\\\"\"", str("\u0D4E\"") } });
    expectNodes("\"\u0301\" = 1\n", { TOMLNode::key({}, "\u0301", integer(1)) });
    expectNodes("[\"\u0301\"]\n", { TOMLNode::header({ "\u0301" }) });
    expectNodes("x = 1 #\uFE0F\u20E3\n", { TOMLNode::key({}, "x", integer(1), "#\uFE0F\u20E3") });
    // Escape letters are matched on the first scalar; a mark after one stays text.
    expectValue("\"\\t\u0301\\q\u0301\"", str("\t\u0301q\u0301"));
    // Within a bare key a letter keeps its marks.
    expectNodes("e\u0301 = 1\n", { TOMLNode::key({}, "e\u0301", integer(1)) });
    expectError("-\u0301 = 1\n", "Config line 1: Expected a key.");
    expectError("x = -\u0301\n", "Config line 1: Unsupported value.");
}

} // namespace
} // namespace quorvane
