#include "TestSupport/LocalHTTPServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace quorvane::test {

namespace {

// A blocking socket takes all of the data or fails.
bool send(int fd, std::string_view data)
{
    return ::send(fd, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size());
}

} // namespace

std::string requestTarget(const std::string& head)
{
    size_t start = head.find(' ') + 1;
    return head.substr(start, head.find(' ', start) - start);
}

LocalHTTPServer::LocalHTTPServer(std::map<std::string, Reply> routes)
    : m_routes(std::move(routes))
    , m_listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    sockaddr_in address {
        .sin_family = AF_INET, .sin_port = 0, .sin_addr = { htonl(INADDR_LOOPBACK) }, .sin_zero = {}
    };
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) || ::listen(m_listener, 64)
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length))
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_base = "http://127.0.0.1:" + std::to_string(m_port);
    m_acceptor = std::thread([this] {
        // Shutting the listener down in the destructor ends the wait for the next connection.
        for (int connection; (connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            std::lock_guard guard(m_lock);
            m_connections.push_back(connection);
            m_threads.emplace_back([this, connection] { answer(connection); });
        }
    });
}

LocalHTTPServer::~LocalHTTPServer()
{
    ::shutdown(m_listener, SHUT_RDWR);
    m_acceptor.join();
    {
        std::lock_guard guard(m_lock);
        for (int connection : m_connections)
            ::shutdown(connection, SHUT_RDWR);
    }
    for (std::thread& thread : m_threads)
        thread.join();
    for (int connection : m_connections)
        ::close(connection);
    ::close(m_listener);
}

void LocalHTTPServer::route(const std::string& target, Reply reply)
{
    std::lock_guard guard(m_lock);
    m_routes[target] = std::move(reply);
}

std::vector<std::string> LocalHTTPServer::requests() const
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

std::optional<std::string> LocalHTTPServer::waitForRequest(
    const std::string& target, std::chrono::milliseconds limit) const
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (const std::string& head : requests()) {
            if (requestTarget(head) == target)
                return head;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

void LocalHTTPServer::answer(int connection)
{
    std::string head;
    char buffer[4096];
    for (ssize_t received = 1; received > 0 && head.find("\r\n\r\n") == std::string::npos;)
        if ((received = ::recv(connection, buffer, sizeof buffer, 0)) > 0)
            head.append(buffer, static_cast<size_t>(received));
    if (head.empty())
        return;
    Reply reply;
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back(head);
        auto route = m_routes.find(requestTarget(head));
        reply = route != m_routes.end() ? route->second : Reply { 404, "Not found" };
    }
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
    ::shutdown(connection, SHUT_WR);
}

} // namespace quorvane::test
