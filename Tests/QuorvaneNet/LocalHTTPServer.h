#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quorvane::test {

// A small HTTP/1.1 server on 127.0.0.1 for tests: fixed replies by path, one thread per connection.
class LocalHTTPServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
        // Extra header lines, each ending in "\r\n".
        std::string headers;
        // Keeps the connection open without answering until the server stops.
        bool silent = false;
        // Sends body data without a length until the client gives up.
        bool endless = false;
    };

    explicit LocalHTTPServer(std::map<std::string, Reply> routes);
    ~LocalHTTPServer();
    LocalHTTPServer(const LocalHTTPServer&) = delete;
    LocalHTTPServer& operator=(const LocalHTTPServer&) = delete;

    // "http://127.0.0.1:<port>" + path.
    std::string url(std::string_view path) const;
    // The head of every request received so far.
    std::vector<std::string> requests() const;

private:
    void acceptConnections();
    void answer(int connection);
    bool waitUntilReadable(int fd) const;

    std::map<std::string, Reply> m_routes;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping { false };
    mutable std::mutex m_lock;
    std::vector<std::string> m_requests;
    std::vector<std::thread> m_connections;
    std::thread m_acceptor;
};

} // namespace quorvane::test
