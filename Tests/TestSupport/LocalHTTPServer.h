#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quorvane::test {

// One fixed answer of the test server.
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

// A small HTTP server on 127.0.0.1 with fixed replies by request target (path and query). Each connection
// gets its own thread, so a client that opens a connection and waits never holds up the others.
class LocalHTTPServer {
public:
    explicit LocalHTTPServer(std::map<std::string, Reply> routes);
    ~LocalHTTPServer();
    LocalHTTPServer(const LocalHTTPServer&) = delete;
    LocalHTTPServer& operator=(const LocalHTTPServer&) = delete;

    // "http://127.0.0.1:<port>" + path.
    std::string url(const std::string& path) const { return m_base + path; }
    // The same server under another host name, which a browser counts as another site.
    std::string otherSiteURL(const std::string& path) const
    {
        return "http://localhost:" + std::to_string(m_port) + path;
    }

    // Answers `target` with `reply` from now on.
    void route(const std::string& target, Reply reply);

    // The head of every request so far, in order of arrival.
    std::vector<std::string> requests() const;
    // The head of the first request for `target`, waiting up to `limit` for it.
    std::optional<std::string> waitForRequest(const std::string& target, std::chrono::milliseconds limit) const;

private:
    void answer(int connection);

    std::map<std::string, Reply> m_routes;
    std::string m_base;
    int m_port = 0;
    int m_listener;
    mutable std::mutex m_lock;
    std::vector<std::string> m_requests;
    std::vector<int> m_connections;
    std::vector<std::thread> m_threads;
    std::thread m_acceptor;
};

// The request target of a request head: "/path?query".
std::string requestTarget(const std::string& head);

} // namespace quorvane::test
