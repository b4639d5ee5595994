#include "QuorvaneNet/QuietSession.h"

#include "TestSupport/LocalHTTPServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using test::LocalHTTPServer;
using test::Reply;

const QuietSession::Limits shortLimits { 400ms, 200ms, 4096, 8192 };

std::string png(size_t length)
{
    std::string bytes = "\x89PNG";
    bytes.resize(length, 'i');
    return bytes;
}

TEST(QuietSession, bytesAreTheBodyOfASuccessfulNonEmptyAnswer)
{
    LocalHTTPServer server({
        { "/page", { 200, "hello" } },
        { "/empty", { 200, "" } },
        { "/created", { 201, "made" } },
        { "/gone", { 404, "missing" } },
        { "/moved", { 302, "", "Location: /page\r\nSet-Cookie: session=1\r\n" } },
        { "/exact", { 200, std::string(8192, 'e') } },
        { "/large", { 200, std::string(8193, 'l') } },
        { "/endless", { .endless = true } },
    });
    QuietSession session(shortLimits);
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        { "/page", "hello" },
        { "/created", "made" },
        { "/empty", std::nullopt },
        { "/gone", std::nullopt },
        { "/moved", "hello" },
        { "/exact", std::string(8192, 'e') },
        { "/large", std::nullopt },
        { "/endless", std::nullopt },
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(session.bytes(server.url(path)), expected) << path;
    EXPECT_EQ(session.bytes(server.url("/exact"), 100), std::nullopt);

    for (const std::string& request : server.requests()) {
        EXPECT_NE(request.find("GET "), std::string::npos);
        EXPECT_NE(request.find("User-Agent: " + QuietSession::userAgent() + "\r\n"), std::string::npos);
        EXPECT_EQ(request.find("Cookie"), std::string::npos) << request;
    }
}

TEST(QuietSession, fetchSaysHowItEnded)
{
    using Outcome = QuietSession::Outcome;
    LocalHTTPServer server({ { "/toFile", { 302, "", "Location: file:///etc/hostname\r\n" } },
        { "/loop", { 302, "", "Location: /loop\r\n" } }, { "/gone", { 404, "missing" } },
        { "/endless", { .endless = true } } });
    QuietSession session(shortLimits);
    const std::pair<std::string, Outcome> cases[] = { { "/toFile", Outcome::redirectedAway },
        { "/loop", Outcome::tooManyRedirects }, { "/gone", Outcome::httpError }, { "/endless", Outcome::tooLarge } };
    for (const auto& [path, outcome] : cases)
        EXPECT_EQ(session.fetch(server.url(path), 8192, "Agent/1").outcome, outcome) << path;
    EXPECT_EQ(session.fetch("file:///etc/hostname", 100, "Agent/1").outcome, Outcome::notWebAddress);
}

TEST(QuietSession, onlyWebAddressesAreFetched)
{
    QuietSession session(shortLimits);
    for (std::string url : { "file:///etc/hostname", "ftp://127.0.0.1/x", "not a url", "", "/relative" })
        EXPECT_EQ(session.bytes(url), std::nullopt) << url;
}

TEST(QuietSession, aServerThatNeverAnswersCostsOnlyTheTimeLimit)
{
    LocalHTTPServer server({ { "/silent", { .silent = true } } });
    QuietSession session(shortLimits);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session.bytes(server.url("/silent")), std::nullopt);
    // Generous: the limits above add up to 0.6 seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(QuietSession, iconDataFollowsThePageAndItsManifestToTheBestIcon)
{
    LocalHTTPServer server({
        { "/start", { 302, "", "Location: /app/\r\n" } },
        { "/app/", { 200, R"(<link rel="icon" href="favicon.ico" sizes="16x16">
                              <link rel="manifest" href="site.webmanifest">)" } },
        { "/app/site.webmanifest", { 200, R"({"icons": [{"src": "big.png", "sizes": "512x512"}]})" } },
        { "/app/favicon.ico", { 200, "small icon" } },
        { "/app/big.png", { 200, png(600) } },
        { "/nomanifest", { 200, R"(<link rel="icon" href="/app/favicon.ico"><link rel="manifest" href="/gone">)" } },
        { "/tooBig", { 200, R"(<link rel="apple-touch-icon" href="/huge.png">)" } },
        { "/huge.png", { 200, png(9000) } },
        { "/latin1", { 200, "<title>Caf\xE9</title><link rel=icon href=/app/favicon.ico>" } },
        { "/longPage", { 200, "<link rel=icon href=/app/favicon.ico>" + std::string(5000, ' ') } },
    });
    QuietSession session(shortLimits);
    // Relative links resolve against the page the redirect led to.
    EXPECT_EQ(session.iconData(server.url("/start")), png(600));
    EXPECT_EQ(session.iconData(server.url("/nomanifest")), "small icon");
    EXPECT_EQ(session.iconData(server.url("/tooBig")), std::nullopt);
    EXPECT_EQ(session.iconData(server.url("/latin1")), std::nullopt);
    EXPECT_EQ(session.iconData(server.url("/longPage")), std::nullopt);
    EXPECT_EQ(session.iconData(server.url("/missing")), std::nullopt);
}

TEST(QuietSession, thePageTheManifestAndTheIconShareOneTimeLimit)
{
    LocalHTTPServer server({
        { "/page", { 200, R"(<link rel="icon" href="/icon.png"><link rel="manifest" href="/slow.webmanifest">)" } },
        { "/slow.webmanifest", { .silent = true } },
        { "/icon.png", { 200, png(100) } },
    });
    QuietSession session(shortLimits);
    // The manifest that never answers takes all the time there is: no time is left to fetch the icon.
    EXPECT_EQ(session.iconData(server.url("/page")), std::nullopt);
    for (const std::string& request : server.requests())
        EXPECT_NE(test::requestTarget(request), "/icon.png");
}

} // namespace
} // namespace quorvane
