#include "Support/QuorvaneVersion.h"
#include "TestSupport/TemporaryFolder.h"
#include "Updates/UpdateFeed.h"
#include "Updates/UpdateStamp.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using Status = UpdateCheckResult::Status;

UpdateCheckResult failed(const char* problem)
{
    return UpdateCheckResult::failure(problem);
}

TEST(UpdateFeed, JudgesTheFeedAgainstTheRunningVersion)
{
    const UpdateCheckResult upToDate { Status::upToDate, std::nullopt, "" };
    const UpdateCheckResult noVersion = failed("The update feed names no version.");
    const UpdateCheckResult badVersion = failed("The update feed's version is not a release number such as 1.2.0.");
    const UpdateCheckResult noAddress = failed("The update feed gives no http or https address for its release.");
    const std::pair<std::string, UpdateCheckResult> cases[] = {
        { R"({"version": "1.2.0", "url": "https://example.com/q"})",
            { Status::available, UpdateRelease { "1.2.0", "https://example.com/q" }, "" } },
        { R"({"version": "1.0.1", "url": "https://example.com/q", "notes": [1, 2]})", upToDate },
        { R"({"version": "1.0.1.0", "url": "https://example.com/q"})", upToDate },
        { R"({"version": "0.9", "url": "https://example.com/q"})", upToDate },
        { "", failed("The update feed is not JSON.") },
        { "<html>1.2.0</html>", failed("The update feed is not JSON.") },
        { R"({"version": "1.2.0", "url": "https://example.com/q"} trailing)", failed("The update feed is not JSON.") },
        { R"(["1.2.0"])", noVersion },
        { R"({"url": "https://example.com/q"})", noVersion },
        { R"({"version": 2, "url": "https://example.com/q"})", noVersion },
        { R"({"version": "1.2.0-rc1", "url": "https://example.com/q"})", badVersion },
        { R"({"version": "v2", "url": "https://example.com/q"})", badVersion },
        { R"({"version": "2.0"})", noAddress },
        { R"({"version": "2.0", "url": "file:///etc/passwd"})", noAddress },
        { R"({"version": "2.0", "url": "javascript:alert"})", noAddress },
        { R"({"version": "2.0", "url": "https://"})", noAddress },
        { R"({"version": "2.0", "url": "/relative"})", noAddress },
        { R"({"version": "2.0", "url": "https://example.com/a b"})", noAddress },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(UpdateFeed::judge(text, "1.0.1"), expected) << text;
    EXPECT_EQ(UpdateFeed::judge(R"({"version": "1.2.0", "url": "https://example.com/q"})", "1.0.1-dev").problem,
        "This build's version is not a release number, so it cannot be compared.");
}

TEST(UpdateFeed, TheEnvironmentOverridesTheBuiltInAddress)
{
    EXPECT_EQ(UpdateFeed::address("https://example.com/feed.json"), "https://example.com/feed.json");
    // Set but empty: no checks, whatever is built in.
    EXPECT_EQ(UpdateFeed::address(""), std::nullopt);
    EXPECT_EQ(UpdateFeed::userAgent(), std::string("Quorvane/") + QuorvaneVersion::current);
}

TEST(UpdateStamp, KeepsTheLastCheckAndItsRelease)
{
    test::TemporaryFolder folder;
    std::string path = folder.file("data/update-check.json");
    EXPECT_EQ(UpdateStamp::load(path), std::nullopt);
    UpdateStamp stamp { 1700000000, UpdateRelease { "1.2.0", "https://example.com/q" } };
    stamp.save(path);
    EXPECT_EQ(test::readFile(path),
        R"({"checked":1700000000,"release":{"url":"https://example.com/q","version":"1.2.0"}})" "\n");
    EXPECT_EQ(UpdateStamp::load(path), stamp);

    const std::pair<const char*, std::optional<UpdateStamp>> texts[] = {
        { R"({"checked": 12.5})", UpdateStamp { 12.5, std::nullopt } },
        { R"({"checked": 12, "release": {"version": "2", "url": "ftp://x"}})", UpdateStamp { 12, std::nullopt } },
        { R"({"checked": 12, "release": {"version": "beta", "url": "https://x"}})", UpdateStamp { 12, std::nullopt } },
        { R"({"checked": "yesterday"})", std::nullopt },
        { R"({"release": {"version": "2", "url": "https://x"}})", std::nullopt },
        { "[]", std::nullopt },
        { "not json", std::nullopt },
    };
    for (const auto& [text, expected] : texts)
        EXPECT_EQ(UpdateStamp::decode(text), expected) << text;
}

TEST(UpdateStamp, ACheckIsDueADayAfterTheLastOne)
{
    const double day = UpdateStamp::interval;
    const UpdateStamp stamp { 1000000, std::nullopt };
    EXPECT_TRUE(UpdateStamp::isDue(std::nullopt, 0));
    EXPECT_FALSE(UpdateStamp::isDue(stamp, stamp.checked));
    EXPECT_FALSE(UpdateStamp::isDue(stamp, stamp.checked + day - 1));
    EXPECT_TRUE(UpdateStamp::isDue(stamp, stamp.checked + day));
    // A stamp from the future would otherwise silence the checks until that day.
    EXPECT_TRUE(UpdateStamp::isDue(stamp, stamp.checked - 1));
}

} // namespace
} // namespace quorvane
