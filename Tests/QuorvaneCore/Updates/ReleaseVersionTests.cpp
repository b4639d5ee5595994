#include "Updates/ReleaseVersion.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(ReleaseVersion, OnlyDottedNumbersAreReleaseNumbers)
{
    for (const char* text : { "1", "1.2", "1.2.0", "01.002.3", "0", "1.2.3.4.5.6.7.8", "999999999999999999.1" })
        EXPECT_TRUE(ReleaseVersion::parse(text)) << text;
    for (const char* text : { "", ".", "1.", ".1", "1..2", "v1.2", "1.2.0-beta", "1.2.0+build", "1.2 ", " 1.2",
             "1,2", "1.2.3.4.5.6.7.8.9", "1.x", "-1", "+1", "1e3", "１.２", "1234567890123456789" })
        EXPECT_FALSE(ReleaseVersion::parse(text)) << text;
    EXPECT_FALSE(ReleaseVersion::parse(std::string(ReleaseVersion::maximumLength + 1, '1')));
}

TEST(ReleaseVersion, NumbersCompareAsNumbersAndMissingOnesAreZero)
{
    struct Case {
        const char* candidate;
        const char* current;
        bool newer;
    };
    const Case cases[] = {
        { "1.2.0", "1.0.1", true },
        { "1.0.1", "1.0.1", false },
        { "1.0.0", "1.0.1", false },
        { "1.10", "1.9", true },
        { "1.9", "1.10", false },
        { "2", "1.99.99", true },
        { "1.2", "1.2.0", false },
        { "1.2.0", "1.2", false },
        { "1.2.0.1", "1.2", true },
        { "01.02", "1.2", false },
        { "1.0.1", "1", true },
        // Not comparable: never newer.
        { "1.2.0-beta", "1.0.1", false },
        { "2.0", "", false },
        { "", "1.0", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReleaseVersion::isNewer(c.candidate, c.current), c.newer) << c.candidate << " vs " << c.current;
    EXPECT_EQ(ReleaseVersion::parse("1.2"), ReleaseVersion::parse("1.2.0.0"));
    EXPECT_LT(ReleaseVersion::parse("0.9"), ReleaseVersion::parse("0.10"));
}

} // namespace
} // namespace quorvane
