#include "QuorvaneNet/HostDigest.h"
#include "TestSupport/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(HostDigest, isTheLowerCaseHexSHA1OfTheBytes)
{
    EXPECT_EQ(hostDigest("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");

    test::TemporaryFolder folder;
    test::writeFile(folder.file("host"), "abc");
    EXPECT_EQ(digest(folder.file("host")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(digest(folder.file("missing")), std::nullopt);
    EXPECT_EQ(digest(folder.path()), std::nullopt);
}

} // namespace
} // namespace quorvane
