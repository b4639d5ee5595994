// Feeds arbitrary bytes through a socket to `readLine` and checks the framing it promises: the bytes before
// the first line feed when they fit under the limit, a refusal otherwise, and nothing past the line feed taken.
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 65536)
        return 0;
    // The first byte picks a small limit so the boundary is reached often; 0 means the real one.
    size_t limit = data[0] ? data[0] : quorvane::requestLineLimit;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        std::abort();
    int buffer = 1 << 20;
    ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    quorvane::writeAll(fds[1], bytes, 5);
    ::shutdown(fds[1], SHUT_WR);

    size_t newline = bytes.find('\n');
    bool fits = newline != std::string::npos && newline < limit;
    try {
        std::string line = quorvane::readLine(fds[0], 5, limit);
        if (!fits || line != bytes.substr(0, newline))
            std::abort();
        std::string rest;
        char chunk[4096];
        for (ssize_t n; (n = ::recv(fds[0], chunk, sizeof chunk, 0)) > 0;)
            rest.append(chunk, static_cast<size_t>(n));
        if (rest != bytes.substr(newline + 1))
            std::abort();
    } catch (const quorvane::IPCError& error) {
        if (fits || error.code() != quorvane::IPCError::Code::badResponse)
            std::abort();
    }
    ::close(fds[0]);
    ::close(fds[1]);
    return 0;
}
