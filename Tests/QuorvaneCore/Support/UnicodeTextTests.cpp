#include "Support/UnicodeText.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <unicode/brkiter.h>
#include <unicode/utext.h>

namespace quorvane {
namespace {

using Clusters = std::vector<std::string_view>;

TEST(UnicodeText, ClustersFollowExtendedGraphemeRules)
{
    // Plain ASCII text, CR LF included, is checked against these rules below.
    EXPECT_EQ(UnicodeText::graphemeClusters("e\xCC\x81x"), (Clusters { "e\xCC\x81", "x" }));
    EXPECT_EQ(UnicodeText::graphemeClusters("\"\xCC\x81\""), (Clusters { "\"\xCC\x81", "\"" }));
    // A family emoji joined by U+200D is one character.
    EXPECT_EQ(UnicodeText::graphemeClusters("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7!").size(), 2u);
}

TEST(UnicodeText, PlainASCIIBreaksAsTheFullRulesDo)
{
    // A trailing "é" sends the text through the break iterator; the ASCII part must split the same way.
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = 0, length = static_cast<int>(random() % 12); i < length; ++i)
            text += "a \r\n\t\"#="[random() % 8];
        Clusters fast = UnicodeText::graphemeClusters(text);
        std::string extended = text + "\xC3\xA9";
        Clusters full = UnicodeText::graphemeClusters(extended);
        ASSERT_FALSE(full.empty());
        full.pop_back();
        EXPECT_EQ(fast, full) << ::testing::PrintToString(text);
    }
}

// Only the stretches around non-ASCII bytes go through the break iterator; mixed text must still split
// exactly where the iterator splits the whole text.
TEST(UnicodeText, ClusterStartsMatchTheBreakIteratorOverTheWholeText)
{
    const char* pieces[] = { "a", " ", "\r", "\n", "\"", "e\xCC\x81", "\xCC\x81", "\xE2\x80\x8D", "\xF0\x9F\x87\xA9",
        "\xF0\x9F\x91\xA9", "\xD8\x80", "\xE0\xA4\x95\xE0\xA5\x8D", "\xC3\xA9" };
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    ASSERT_TRUE(U_SUCCESS(status));
    std::mt19937 random(11);
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (int i = 0, length = static_cast<int>(random() % 10); i < length; ++i)
            text += pieces[random() % std::size(pieces)];
        std::vector<bool> expected(text.size(), false);
        UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
        iterator->setText(utext, status);
        for (int32_t start = iterator->first(); start != icu::BreakIterator::DONE; start = iterator->next()) {
            if (static_cast<size_t>(start) < text.size())
                expected[static_cast<size_t>(start)] = true;
        }
        utext_close(utext);
        EXPECT_EQ(UnicodeText::clusterStarts(text), expected) << ::testing::PrintToString(text);
    }
}

TEST(UnicodeText, CategoriesComeFromTheFirstScalar)
{
    struct Case {
        const char* cluster;
        bool letterOrNumber, numeric, digit, whiteSpace;
    };
    const Case cases[] = {
        { "\xC3\xA9", true, false, false, false }, // é
        { "\xE2\x85\xA7", true, true, false, false }, // Ⅷ (Nl)
        { "\xD9\xA3", true, true, true, false }, // Arabic-Indic three
        { "-", false, false, false, false },
        { " ", false, false, false, true },
        { "\xC2\xA0", false, false, false, true }, // no-break space
        { "", false, false, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cluster);
        EXPECT_EQ(UnicodeText::isLetterOrNumber(c.cluster), c.letterOrNumber);
        EXPECT_EQ(UnicodeText::isNumeric(c.cluster), c.numeric);
        EXPECT_EQ(UnicodeText::isDecimalDigit(c.cluster), c.digit);
        EXPECT_EQ(UnicodeText::isWhiteSpace(c.cluster), c.whiteSpace);
    }
}

TEST(UnicodeText, CaseMappingIsFullAndLocaleFree)
{
    EXPECT_EQ(UnicodeText::lowercased("Hello \xC3\x84"), "hello \xC3\xA4");
    EXPECT_EQ(UnicodeText::uppercased("stra\u00DFe"), "STRASSE");
    EXPECT_EQ(UnicodeText::lowercased("I"), "i"); // not the Turkish dotless i
    EXPECT_TRUE(UnicodeText::isLowercase("a"));
    EXPECT_FALSE(UnicodeText::isLowercase("1"));
    EXPECT_TRUE(UnicodeText::equalsIgnoringCase("Stra\u00DFe", "STRASSE"));
}

TEST(UnicodeText, TrimmingRemovesUnicodeWhiteSpaceAtBothEnds)
{
    EXPECT_EQ(UnicodeText::trimmed("  a b \t\n"), "a b");
    EXPECT_EQ(UnicodeText::trimmed("\xE2\x80\x83x\xC2\xA0"), "x");
    EXPECT_EQ(UnicodeText::trimmed(" \r\n "), "");
}

TEST(UnicodeText, ScalarsRoundTripAndReplaceBadBytes)
{
    EXPECT_EQ(UnicodeText::scalars("a\xFF"), U"a\uFFFD");
    EXPECT_EQ(UnicodeText::utf8(U"\U0001F600x"), "\xF0\x9F\x98\x80x");
    EXPECT_TRUE(UnicodeText::isValidUTF8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(UnicodeText::isValidUTF8("\xED\xA0\x80")); // a lone surrogate
}

// Text from the window system may be Latin-1 or plain bytes; what comes out is always UTF-8.
TEST(UnicodeText, OutsideTextBecomesUTF8)
{
    EXPECT_EQ(UnicodeText::utf8OrLatin1("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(UnicodeText::utf8OrLatin1("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(UnicodeText::utf8OrLatin1("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");
    EXPECT_EQ(UnicodeText::fromLatin1("\xC3\xA9"), "\xC3\x83\xC2\xA9");
}

TEST(UnicodeText, ControlCharactersAreShownAsEscapes)
{
    EXPECT_EQ(UnicodeText::withVisibleControls("a\tb\nc"), "a\tb\nc");
    EXPECT_EQ(UnicodeText::withVisibleControls(std::string("\x1B[2J\x07\0\r\x7F", 8)),
        "\\u001B[2J\\u0007\\u0000\\u000D\\u007F");
    // C1 controls, and text around them that only looks alike.
    const std::string csi = "\xC2\x9B";
    EXPECT_EQ(
        UnicodeText::withVisibleControls(csi + "31m \xC2\xA0 \xC3\x9B \xC2"), "\\u009B31m \xC2\xA0 \xC3\x9B \xC2");
}

} // namespace
} // namespace quorvane
