#include "QuorvaneNet/QuietSession.h"

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

struct Reply {
    int status = 200;
    std::string body;
    // Extra header lines, each ending in "\r\n".
    std::string headers;
    // Holds the connection open without a word until the client hangs up.
    bool silent = false;
    // Streams body data without a length until the client hangs up.
    bool endless = false;
};

// A small HTTP server on 127.0.0.1 with fixed replies by path. It answers one connection at a time, which is
// all a session that blocks on each exchange ever opens.
class LocalHTTPServer {
public:
    explicit LocalHTTPServer(std::map<std::string, Reply> routes)
        : m_routes(std::move(routes))
    {
        sockaddr_in address {
            .sin_family = AF_INET, .sin_port = 0, .sin_addr = { htonl(INADDR_LOOPBACK) }, .sin_zero = {}
        };
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) || ::listen(m_listener, 16)
            || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length))
            throw std::runtime_error("cannot listen on 127.0.0.1");
        m_base = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        m_thread = std::thread([this] {
            // Shutting the listener down in the destructor ends the wait for the next connection.
            for (int connection; (connection = ::accept(m_listener, nullptr, nullptr)) >= 0; ::close(connection))
                answer(connection);
        });
    }

    ~LocalHTTPServer()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }

    std::string url(const std::string& path) const { return m_base + path; }

    std::vector<std::string> requests() const
    {
        std::lock_guard guard(m_lock);
        return m_requests;
    }

private:
    // A blocking socket takes all of the data or fails.
    static bool send(int fd, std::string_view data)
    {
        return ::send(fd, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size());
    }

    void answer(int connection)
    {
        std::string head;
        char buffer[4096];
        for (ssize_t received = 1; received > 0 && head.find("\r\n\r\n") == std::string::npos;)
            if ((received = ::recv(connection, buffer, sizeof buffer, 0)) > 0)
                head.append(buffer, static_cast<size_t>(received));
        std::lock_guard guard(m_lock);
        m_requests.push_back(head);
        size_t start = head.find(' ') + 1;
        auto route = m_routes.find(head.substr(start, head.find(' ', start) - start));
        Reply reply = route != m_routes.end() ? route->second : Reply { 404, "Not found" };
        if (reply.silent)
            while (::recv(connection, buffer, sizeof buffer, 0) > 0) { }
        else if (reply.endless)
            for (bool open = send(connection, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"); open;)
                open = send(connection, std::string(64 * 1024, 'x'));
        else
            send(connection,
                "HTTP/1.1 " + std::to_string(reply.status)
                    + " Reply\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n"
                    + reply.headers + "\r\n" + reply.body);
    }

    std::map<std::string, Reply> m_routes;
    std::string m_base;
    int m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    mutable std::mutex m_lock;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

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

} // namespace
} // namespace quorvane
