#include "LocalHTTPServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace quorvane::test {

namespace {

bool sendAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

} // namespace

LocalHTTPServer::LocalHTTPServer(std::map<std::string, Reply> routes)
    : m_routes(std::move(routes))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listener, 16) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptConnections(); });
}

LocalHTTPServer::~LocalHTTPServer()
{
    m_stopping = true;
    m_acceptor.join();
    for (std::thread& connection : m_connections)
        connection.join();
    ::close(m_listener);
}

std::string LocalHTTPServer::url(std::string_view path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

std::vector<std::string> LocalHTTPServer::requests() const
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

bool LocalHTTPServer::waitUntilReadable(int fd) const
{
    while (!m_stopping) {
        pollfd entry { fd, POLLIN, 0 };
        if (::poll(&entry, 1, 20) > 0)
            return true;
    }
    return false;
}

void LocalHTTPServer::acceptConnections()
{
    while (waitUntilReadable(m_listener)) {
        int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection >= 0)
            m_connections.emplace_back([this, connection] { answer(connection); });
    }
}

void LocalHTTPServer::answer(int connection)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && waitUntilReadable(connection)) {
        ssize_t received = ::recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0)
            break;
        head.append(buffer, static_cast<size_t>(received));
    }
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back(head);
    }
    size_t pathStart = head.find(' ') + 1;
    std::string path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
    auto route = m_routes.find(path);
    Reply reply = route != m_routes.end() ? route->second : Reply { 404, "Not found", "" };
    if (reply.silent) {
        while (!m_stopping)
            ::poll(nullptr, 0, 20);
    } else if (reply.endless) {
        std::string chunk(64 * 1024, 'x');
        if (sendAll(connection, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"))
            while (!m_stopping && sendAll(connection, chunk)) { }
    } else {
        sendAll(connection,
            "HTTP/1.1 " + std::to_string(reply.status)
                + " Reply\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n"
                + reply.headers + "\r\n" + reply.body);
    }
    ::close(connection);
}

} // namespace quorvane::test
