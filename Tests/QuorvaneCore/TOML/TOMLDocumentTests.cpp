#include "TOML/TOMLDocument.h"

#include "Support/QuorvaneError.h"
#include "TOMLTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

namespace quorvane {
namespace {

using namespace test;

// Parses `before`, applies `edit`, and compares the whole rendered text.
template <typename Edit> void expectEdit(std::string_view before, Edit edit, std::string_view after)
{
    TOMLDocument document = TOMLDocument::parse(before);
    edit(document);
    EXPECT_EQ(document.text(), after) << "before: " << before;
}

void expectSet(std::string_view before, const TOMLPath& table, const std::string& key, const TOMLValue& value,
    std::string_view after)
{
    expectEdit(
        before, [&](TOMLDocument& document) { document.set(table, key, value); }, after);
}

// The line `x = <rendered>` that setting x gives, and the value it reads back as (the value itself unless given).
struct Rendered {
    TOMLValue value;
    std::string text;
    std::optional<TOMLValue> readBack;
};

void expectRendered(const std::vector<Rendered>& cases)
{
    for (const Rendered& c : cases) {
        TOMLDocument document;
        document.set({}, "x", c.value);
        EXPECT_EQ(document.text(), "x = " + c.text + "\n");
        EXPECT_EQ(TOMLDocument::parse(document.text()).pairs({}),
            TOMLValue::Table({ { "x", c.readBack.value_or(c.value) } }));
    }
}

// Every value must come back from its own text unchanged, also as a key and inside arrays and tables.
void expectRoundTrip(const TOMLValue& value)
{
    TOMLDocument document;
    document.set({ "t", "a b" }, "k", value);
    document.set({ "t" }, "nested", TOMLValue::array({ value, TOMLValue::table({ { "v", value } }) }));
    if (const std::string* text = value.asString())
        document.set({ *text }, *text, integer(1));
    TOMLDocument reread = TOMLDocument::parse(document.text());
    EXPECT_EQ(reread.nodes, document.nodes) << document.text();
    EXPECT_EQ(reread.text(), document.text());
}

TEST(TOMLDocument, ListsPairsAndSubTables)
{
    auto document = TOMLDocument::parse("a = 1\n[apps.mail]\nurl = \"m\"\nurl = \"n\"\n[apps]\n[apps.x.y]\n"
                                        "[rules.r1]\n[apps.notes]\nb.c = 2\n");
    EXPECT_EQ(document.pairs({}), TOMLValue::Table({ { "a", integer(1) } }));
    EXPECT_EQ(document.pairs({ "apps", "mail" }), TOMLValue::Table({ { "url", str("m") }, { "url", str("n") } }));
    EXPECT_EQ(document.pairs({ "apps", "notes", "b" }), TOMLValue::Table({ { "c", integer(2) } }));
    EXPECT_EQ(document.pairs({ "apps" }), TOMLValue::Table());
    EXPECT_EQ(document.headers({ "apps" }), std::vector<TOMLPath>({ { "apps", "mail" }, { "apps", "notes" } }));
    EXPECT_EQ(document.headers({}), std::vector<TOMLPath>({ { "apps" } }));
}

TEST(TOMLDocument, SetReplacesAValueInPlace)
{
    expectSet(
        "# top\n[t]\n  k=1   # note\n\nz = 2\n", { "t" }, "k", str("v"), "# top\n[t]\nk = \"v\" # note\n\nz = 2\n");
    expectSet("[t]\nk = 1\n", { "t" }, "k", integer(1), "[t]\nk = 1\n");
    expectSet("[x]\na.b = 1\n", { "x", "a" }, "b", integer(2), "[x]\na.b = 2\n");
}

TEST(TOMLDocument, SetAddsKeysAfterTheTablesLastKey)
{
    expectSet("[t]\na = 1\n\n\n[u]\n", { "t" }, "b", integer(2), "[t]\na = 1\nb = 2\n\n\n[u]\n");
    expectSet("[t]\n\n# about u\n[u]\n", { "t" }, "b", integer(2), "[t]\n\n# about u\nb = 2\n[u]\n");
    expectSet("# c\n\n[t]\n", {}, "v", integer(1), "# c\n\nv = 1\n[t]\n");
    expectSet("# c\n\nv = 1\n\n[t]\n", {}, "w", integer(2), "# c\n\nv = 1\nw = 2\n\n[t]\n");
    expectSet("[t]\n", { "u" }, "k", boolean(true), "[t]\n\n[u]\nk = true\n");
    expectSet("[t]\n\n", { "u" }, "k", boolean(true), "[t]\n\n[u]\nk = true\n");
    expectSet("", { "u" }, "k", boolean(true), "[u]\nk = true\n");
    // A table made of dotted keys grows there: a header of its own would make it twice.
    expectSet(
        "[apps]\nm.url = 1\n\n[g]\n", { "apps", "m" }, "name", integer(2), "[apps]\nm.url = 1\nm.name = 2\n\n[g]\n");
    expectSet("[apps]\nm.url = 1\n[apps.x]\n", { "apps", "m" }, "name", integer(2),
        "[apps]\nm.url = 1\nm.name = 2\n[apps.x]\n");
}

// A table given as one value cannot take another key, inline or under a header of its own.
TEST(TOMLDocument, SetRefusesToAddToATableGivenAsOneValue)
{
    const std::pair<std::string, TOMLPath> cases[] = {
        { "hotkeys = { a = 1 }\n", { "hotkeys" } },
        { "[rules]\nterm = { tile = \"fill\" }\n", { "rules", "term" } },
        { "apps = \"none\"\n", { "apps", "mail" } },
        { "[apps]\nmail = { a = 1 }\n", { "apps", "mail", "icon" } },
    };
    for (const auto& [text, table] : cases) {
        TOMLDocument document = TOMLDocument::parse(text);
        EXPECT_THROW(document.set(table, "k", integer(1)), QuorvaneError) << text;
        EXPECT_EQ(document.text(), text);
    }
    // A sibling of such a value is a table of its own.
    expectSet("[apps]\nmail = { url = \"u\" }\n", { "apps", "note" }, "k", integer(1),
        "[apps]\nmail = { url = \"u\" }\n\n[apps.note]\nk = 1\n");
}

// Given beside its own table, the key would be written twice, and no TOML reader takes that.
TEST(TOMLDocument, SetRefusesAKeyTheFileGivesAsATable)
{
    const std::tuple<std::string, TOMLPath, std::string> cases[] = {
        { "[hotkeys.\"ctrl+opt+e\"]\nbundle = \"a\"\n", { "hotkeys" }, "ctrl+opt+e" },
        { "[hotkeys]\n\"ctrl+opt+e\".bundle = \"a\"\n", { "hotkeys" }, "ctrl+opt+e" },
        { "[general.tile_gap.deeper]\nx = 1\n", { "general" }, "tile_gap" },
    };
    for (const auto& [text, table, key] : cases) {
        TOMLDocument document = TOMLDocument::parse(text);
        EXPECT_THROW(document.set(table, key, integer(1)), QuorvaneError) << text;
        EXPECT_EQ(document.text(), text);
    }
    expectSet("[hotkeys.\"ctrl+opt+e\"]\nbundle = \"a\"\n", { "hotkeys" }, "ctrl+opt+f", integer(1),
        "[hotkeys.\"ctrl+opt+e\"]\nbundle = \"a\"\n\n[hotkeys]\n\"ctrl+opt+f\" = 1\n");
}

// A last comment line without a line feed must not swallow the new key.
TEST(TOMLDocument, SetEndsAnUnterminatedLastCommentFirst)
{
    expectSet("# todo", {}, "hotkey", str("x"), "# todo\nhotkey = \"x\"\n");
    expectSet("[t]\nk = 1\n# todo", { "t" }, "hotkey", str("x"), "[t]\nk = 1\n# todo\nhotkey = \"x\"\n");
    expectSet("[t]\n# todo", { "u" }, "k", integer(1), "[t]\n# todo\n[u]\nk = 1\n");
}

// Decoding lets the last of repeated keys win, so the repeats must go or the edit would not show.
TEST(TOMLDocument, SetDropsRepeatsOfTheKey)
{
    expectSet("[t]\nk = 1 # first\nj = 0\nk = 2 # second\n[u]\nk = 3\n", { "t" }, "k", integer(9),
        "[t]\nk = 9 # first\nj = 0\n[u]\nk = 3\n");
}

TEST(TOMLDocument, SetRefusesNumbersTheFileCannotHold)
{
    TOMLDocument document;
    for (double number : { INFINITY, -INFINITY, NAN }) {
        EXPECT_THROW(document.set({}, "x", decimal(number)), QuorvaneError);
        EXPECT_THROW(
            document.set({}, "x", TOMLValue::array({ TOMLValue::table({ { "y", decimal(number) } }) })), QuorvaneError);
    }
    EXPECT_EQ(document.text(), "");
}

TEST(TOMLDocument, RemovesKeysAndTables)
{
    auto remove
        = [](TOMLPath table, std::string key) { return [=](TOMLDocument& document) { document.remove(table, key); }; };
    auto removeTable = [](TOMLPath path) { return [=](TOMLDocument& document) { document.removeTable(path); }; };
    expectEdit("[t]\nk = 1 # a\nj = 2\nk = 3\n", remove({ "t" }, "k"), "[t]\nj = 2\n");
    expectEdit("[t]\n# about k\nk = 1\n", remove({ "t" }, "k"), "[t]\n# about k\n");
    expectEdit("[t]\nk = 1\n", remove({ "t" }, "missing"), "[t]\nk = 1\n");
    expectEdit("[t]\nk = 1\n", remove({}, "k"), "[t]\nk = 1\n");
    expectEdit("a = 1\n\n# about t\n[t]\nk = 1\n\n# about u\n[u]\nj = 2\n", removeTable({ "t" }),
        "a = 1\n\n# about t\n[u]\nj = 2\n");
    // A header written twice: both sections go, the sub-table stays.
    expectEdit("[t]\nk = 1\n[t.sub]\nj = 2\n[t]\nk = 3\n", removeTable({ "t" }), "[t.sub]\nj = 2\n");
    expectEdit("t.k = 1\n[u]\nt.k = 2\nj = 3\n", removeTable({ "t" }), "[u]\nt.k = 2\nj = 3\n");
}

TEST(TOMLDocument, RendersLinesInCanonicalForm)
{
    expectEdit(
        "  tile_gap=8   # gap \n[\"a\" .b ]#c\n x . \"y.z\" = [ 1 ,2 ]\n", [](TOMLDocument&) {},
        "tile_gap = 8 # gap\n[a.b] #c\nx.\"y.z\" = [1, 2]\n");
    EXPECT_EQ(renderTOML({ TOMLNode::header({ "t" }, " \t# c \t"), TOMLNode::key({ "t", "u v" }, "", str("")) }),
        "[t] # c\n\"u v\".\"\" = \"\"\n");
}

// The reader takes letters of any script in bare keys; standard TOML does not, so they are written quoted.
TEST(TOMLDocument, KeysBeyondASCIIAreWrittenQuoted)
{
    EXPECT_EQ(
        renderTOML({ TOMLNode::header({ "apps", "café" }, ""), TOMLNode::key({ "apps", "café" }, "ключ", str("x")) }),
        "[apps.\"café\"]\n\"ключ\" = \"x\"\n");
}

TEST(TOMLDocument, RendersValues)
{
    // The file store turns raw carriage returns into line feeds, so they are escaped in multiline strings too.
    expectRendered({ { str("a\tb\\c\"d\re"), R"("a\tb\\c\"d\re")" },
        { str("line\n\tnext\n"), "\"\"\"\nline\n\tnext\n\"\"\"" }, { str("a\r\nb\r"), "\"\"\"\na\\r\nb\\r\"\"\"" },
        { str("say \"\"\"hi\"\" \\\n"), "\"\"\"\nsay \\\"\\\"\\\"hi\"\" \\\\\n\"\"\"" },
        { str("let a = 1\ndocument.title = \"Mail\""), "\"\"\"\nlet a = 1\ndocument.title = \"Mail\\\"\"\"\"" },
        { boolean(false), "false" }, { integer(INT64_MIN), "-9223372036854775808" }, { TOMLValue::array({}), "[]" },
        { TOMLValue::array({ integer(1), TOMLValue::array({ str("a") }) }), "[1, [\"a\"]]" },
        { TOMLValue::table({ { "bundle", str("b") }, { "k.1", integer(2) } }), "{ bundle = \"b\", \"k.1\" = 2 }" } });
}

// TOML allows no control character but the tab raw in a string; a file holding one no longer reads elsewhere.
TEST(TOMLDocument, EscapesEveryControlCharacterTOMLForbidsRaw)
{
    expectRendered({ { str(std::string("a\0b", 3)), R"("a\u0000b")" },
        { str("\x1B[31m\x07\x7F"), R"("\u001B[31m\u0007\u007F")" }, { str("\x01\u0301"), "\"\\u0001\u0301\"" },
        { str("bell\x07\nnext\x1B"), "\"\"\"\nbell\\u0007\nnext\\u001B\"\"\"" } });
    for (int byte = 0; byte < 0x80; ++byte) {
        std::string text = "x" + std::string(1, static_cast<char>(byte == 0x20 ? 0x7F : byte)) + "y";
        TOMLDocument document;
        document.set({ "rules", text }, text, TOMLValue::table({ { text, TOMLValue::array({ str(text + "\n") }) } }));
        std::string rendered = document.text();
        EXPECT_EQ(
            rendered.find_first_of(std::string("\0\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\r\x0E\x0F\x10\x11\x12\x13"
                                               "\x14\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F\x7F",
                31)),
            std::string::npos)
            << byte;
        EXPECT_EQ(TOMLDocument::parse(rendered), document) << byte;
    }
}

// Bytes that are not UTF-8 would make a file that no longer reads: the edit is refused, the document kept.
TEST(TOMLDocument, RefusesTextThatIsNotUTF8)
{
    const std::string bad = std::string("\xC9") + "diteur";
    struct Edit {
        TOMLPath table;
        std::string key;
        TOMLValue value;
    };
    const Edit edits[] = {
        { { "rules", "editor" }, "app", str(bad) },
        { { "layouts", "work" }, bad, str("left-half") },
        { { "rules", bad }, "tile", str("fill") },
        { { "agents" }, "installed", TOMLValue::array({ str("ok"), str(bad) }) },
        { { "hotkeys" }, "ctrl+e", TOMLValue::table({ { bad, str("x") } }) },
    };
    for (const Edit& edit : edits) {
        TOMLDocument document = TOMLDocument::parse("a = 1\n");
        EXPECT_THROW(document.set(edit.table, edit.key, edit.value), QuorvaneError) << edit.key;
        EXPECT_EQ(document.text(), "a = 1\n") << edit.key;
    }
}

// Doubles are written positionally: the reader takes no exponent, and whole numbers beyond the
// 64-bit range must stay doubles.
TEST(TOMLDocument, RendersEveryDoubleSoItReadsBack)
{
    expectRendered({ { decimal(8.0), "8", integer(8) }, { decimal(-0.0), "0", integer(0) }, { decimal(1.5), "1.5" },
        { decimal(0.1), "0.1" }, { decimal(0.30000000000000004), "0.30000000000000004" },
        { decimal(-2.5e-7), "-0.00000025" }, { decimal(9223372036854775808.0), "9223372036854776000.0" },
        { decimal(-9223372036854775808.0), "-9223372036854776000.0" },
        { decimal(1e300), "1" + std::string(300, '0') + ".0" },
        { decimal(5e-324), "0." + std::string(323, '0') + "5" } });
}

// Strings that end in quotes, hold carriage returns, or begin with a combining mark or joiner.
TEST(TOMLDocument, EveryValueReadsBackFromItsText)
{
    for (const char* text :
        { "", "plain", "a b", "a.b", "document.title = \"Mail\"\n", "x\n\"", "x\n\"\"", "\n\"\"\"\"\"", "\"\n",
            "a\r\nb\rc", "\\\n\\", "\t\n\t", "\u0301", "\u200Dx", "\uFE0F\n", "\"\u0301\n", "tail\u0600", "\u0600",
            "\u0D4E", "\n\u0D4E\"", "#\uFE0F\u20E3", "e\u0301", "-\u0301", "\\\u0301\n", "\t\u0301", "ключ" })
        expectRoundTrip(str(text));
    for (double number : { 1e-5, 1e20, 1e300, -1e-300, 5e-324, 1.7976931348623157e308, 3.5 })
        expectRoundTrip(decimal(number));
    expectRoundTrip(TOMLValue::table({ { "", TOMLValue::array({}) }, { "\u0301", TOMLValue::table({}) } }));
}

} // namespace
} // namespace quorvane
