#include "Packaging/Generator/RoffWriter.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(RoffWriter, TextNeverReadsAsARequestOrAnEscape)
{
    const std::pair<std::string, std::string> cases[] = {
        { "plain words", "plain words" },
        { "C:\\path", "C:\\epath" },
        { ".starts with a dot", "\\&.starts with a dot" },
        { "'starts with a quote", "\\&'starts with a quote" },
        { "two\n.lines", "two\n\\&.lines" },
        { "left-half", "left-half" },
        { "a \u2014 b", "a \\(em b" },
    };
    for (const auto& [text, source] : cases) {
        RoffWriter page("T", 1, "S", "M");
        page.paragraph(text);
        EXPECT_TRUE(page.text().ends_with("\n" + source + "\n")) << page.text();
    }
    EXPECT_EQ(RoffWriter::bold("--left-half"), "\\fB\\-\\-left\\-half\\fR");
    EXPECT_THROW(RoffWriter::prose("caf\u00e9"), std::invalid_argument);
    EXPECT_THROW(RoffWriter::prose("bell\a"), std::invalid_argument);
}

TEST(RoffWriter, AParagraphAfterAHeadingNeedsNoBreak)
{
    RoffWriter page("QUORVANE", 1, "Quorvane 1.0", "Manual");
    page.section("NAME");
    page.paragraph("one");
    page.paragraph("two");
    EXPECT_EQ(page.text(), ".TH QUORVANE 1 \"\" \"Quorvane 1.0\" \"Manual\"\n.SH NAME\none\n.PP\ntwo\n");
}

} // namespace
} // namespace quorvane
