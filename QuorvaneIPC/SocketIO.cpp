#include "QuorvaneIPC/SocketIO.h"

#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/IPCError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace quorvane {

static_assert(sizeof(sockaddr_un::sun_path) > QuorvanePaths::socketPathLimit);

void copy(const std::string& path, sockaddr_un& address)
{
    if (path.size() > QuorvanePaths::socketPathLimit)
        throw IPCError::pathTooLong(path);
    // An empty path would name an abstract socket on Linux, and a zero byte would cut the path short.
    if (path.empty() || path.find('\0') != std::string::npos)
        throw IPCError::unavailable(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
}

namespace {

// The poll wait for `remaining` seconds, at most one second so the deadline is tested again.
int waitMilliseconds(double remaining)
{
    if (remaining >= 1)
        return 1000;
    return std::max(1, static_cast<int>(std::ceil(remaining * 1000)));
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Waits at most one second, and at most `remaining`, for `events` on `fd`; false when they did not come.
// Throws IPCError timedOut when nothing remains, unavailable when the wait fails.
bool waitFor(int fd, short events, double remaining)
{
    if (!(remaining > 0))
        throw IPCError::timedOut();
    pollfd poller { fd, events, 0 };
    int ready = ::poll(&poller, 1, waitMilliseconds(remaining));
    if (ready < 0 && errno != EINTR)
        throw IPCError::unavailable();
    return ready > 0;
}

void consume(int fd, char* bytes, std::size_t count)
{
    while (count > 0) {
        ssize_t received = ::recv(fd, bytes, count, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            throw IPCError::unavailable();
        bytes += received;
        count -= static_cast<std::size_t>(received);
    }
}

} // namespace

std::string readLine(int fd, double timeout, std::size_t limit)
{
    // Elapsed time is compared with the timeout instead of forming a deadline, so no timeout can overflow the clock.
    const auto start = std::chrono::steady_clock::now();
    std::string line;
    char chunk[4096];
    // Bytes already waiting are taken without a wait first; the wait comes only when there are none.
    bool wait = false;
    for (;;) {
        if (line.size() >= limit)
            throw IPCError::badResponse();
        if (wait && !waitFor(fd, POLLIN, timeout - secondsSince(start)))
            continue;
        // Peek first so that nothing past the line feed, and nothing past the limit, is taken.
        std::size_t wanted = std::min(sizeof chunk, limit - line.size());
        ssize_t peeked = ::recv(fd, chunk, wanted, MSG_PEEK | MSG_DONTWAIT);
        wait = peeked < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        // The wait that follows ends the read once the deadline has passed.
        if (peeked < 0 && (errno == EINTR || wait))
            continue;
        if (peeked < 0)
            throw IPCError::unavailable();
        if (peeked == 0)
            throw IPCError::badResponse();
        auto* newline = static_cast<char*>(std::memchr(chunk, '\n', static_cast<std::size_t>(peeked)));
        std::size_t taken = newline ? static_cast<std::size_t>(newline - chunk) + 1 : static_cast<std::size_t>(peeked);
        consume(fd, chunk, taken);
        if (newline) {
            line.append(chunk, taken - 1);
            return line;
        }
        line.append(chunk, taken);
    }
}

void writeAll(int fd, std::string_view bytes, double timeout)
{
    const auto start = std::chrono::steady_clock::now();
    // Sent at once while the socket has room; the wait comes only when it has none.
    bool wait = false;
    while (!bytes.empty()) {
        if (wait && !waitFor(fd, POLLOUT, timeout - secondsSince(start)))
            continue;
        ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        wait = sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (sent < 0 && (errno == EINTR || wait))
            continue;
        if (sent < 0)
            throw IPCError::unavailable();
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

} // namespace quorvane
