#include "Updates/ReleaseVersion.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(ReleaseVersion, OnlyDottedNumbersAreReleaseNumbers)
{
    for (const char* text : { "1", "1.2.0", "01.002.3", "1.2.3.4.5.6.7.8", "999999999999999999.1" })
        EXPECT_TRUE(ReleaseVersion::parse(text)) << text;
    for (const char* text : { "", "1.", ".1", "1..2", "v1.2", "1.2.0-beta", "1.2.0+build", " 1.2", "1,2",
             "1.2.3.4.5.6.7.8.9", "-1", "１.２", "1234567890123456789" })
        EXPECT_FALSE(ReleaseVersion::parse(text)) << text;
}

TEST(ReleaseVersion, NumbersCompareAsNumbersAndMissingOnesAreZero)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        { "1.2.0", "1.0.1", true },
        { "1.0.1", "1.0.1", false },
        { "1.0.0", "1.0.1", false },
        { "1.10", "1.9", true },
        { "2", "1.99.99", true },
        { "1.2", "1.2.0", false },
        { "1.2.0", "1.2", false },
        { "1.2.0.1", "1.2", true },
        { "01.02", "1.2", false },
        // Not comparable: never newer.
        { "1.2.0-beta", "1.0.1", false },
        { "2.0", "", false },
    };
    for (const auto& [candidate, current, newer] : cases)
        EXPECT_EQ(ReleaseVersion::isNewer(candidate, current), newer) << candidate << " vs " << current;
}

} // namespace
} // namespace quorvane
