#include "Support/QuorvaneVersion.h"
#include "TestSupport/TemporaryFolder.h"
#include "Updates/UpdateFeed.h"
#include "Updates/UpdateStamp.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using Status = UpdateCheckResult::Status;

TEST(UpdateFeed, JudgesTheFeedAgainstTheRunningVersion)
{
    const UpdateCheckResult upToDate { Status::upToDate, std::nullopt, "" };
    const auto notJSON = UpdateCheckResult::failure("The update feed is not JSON.");
    const auto noVersion = UpdateCheckResult::failure("The update feed names no version.");
    const auto badVersion
        = UpdateCheckResult::failure("The update feed's version is not a release number such as 1.2.0.");
    const auto noAddress
        = UpdateCheckResult::failure("The update feed gives no http or https address for its release.");
    const std::pair<std::string, UpdateCheckResult> cases[] = {
        { R"({"version": "1.2.0", "url": "https://example.com/q"})",
            { Status::available, UpdateRelease { "1.2.0", "https://example.com/q" }, "" } },
        { R"({"version": "1.0.1.0", "url": "https://example.com/q", "notes": [1, 2]})", upToDate },
        { R"({"version": "0.9", "url": "https://example.com/q"})", upToDate },
        { "", notJSON },
        { R"({"version": "1.2.0", "url": "https://example.com/q"} trailing)", notJSON },
        { R"(["1.2.0"])", noVersion },
        { R"({"version": 2, "url": "https://example.com/q"})", noVersion },
        { R"({"version": "1.2.0-rc1", "url": "https://example.com/q"})", badVersion },
        { R"({"version": "2.0"})", noAddress },
        { R"({"version": "2.0", "url": "file:///etc/passwd"})", noAddress },
        { R"({"version": "2.0", "url": "javascript:alert"})", noAddress },
        { R"({"version": "2.0", "url": "https://"})", noAddress },
        { R"({"version": "2.0", "url": "https://example.com/a b"})", noAddress },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(UpdateFeed::judge(text, "1.0.1"), expected) << text;
    EXPECT_EQ(UpdateFeed::judge(R"({"version": "1.2.0", "url": "https://example.com/q"})", "1.0.1-dev").status,
        Status::failed);

    EXPECT_EQ(UpdateFeed::address("https://example.com/feed.json"), "https://example.com/feed.json");
    // Set but empty: no checks, whatever is built in.
    EXPECT_EQ(UpdateFeed::address(""), std::nullopt);
    EXPECT_EQ(UpdateFeed::userAgent(), std::string("Quorvane/") + QuorvaneVersion::current);
}

TEST(UpdateStamp, KeepsTheLastCheckAndOnlyAValidRelease)
{
    test::TemporaryFolder folder;
    std::string path = folder.file("data/update-check.json");
    UpdateStamp stamp { 1700000000, UpdateRelease { "1.2.0", "https://example.com/q" } };
    stamp.save(path);
    EXPECT_EQ(test::readFile(path),
        R"({"checked":1700000000,"release":{"url":"https://example.com/q","version":"1.2.0"}})"
        "\n");
    EXPECT_EQ(UpdateStamp::load(path), stamp);

    const std::pair<const char*, std::optional<UpdateStamp>> texts[] = {
        { R"({"checked": 12.5})", UpdateStamp { 12.5, std::nullopt } },
        { R"({"checked": 12, "release": {"version": "2", "url": "ftp://x"}})", UpdateStamp { 12, std::nullopt } },
        { R"({"checked": "yesterday"})", std::nullopt },
        { "not json", std::nullopt },
    };
    for (const auto& [text, expected] : texts)
        EXPECT_EQ(UpdateStamp::decode(text), expected) << text;
}

} // namespace
} // namespace quorvane
