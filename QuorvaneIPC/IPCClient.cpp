#include "QuorvaneIPC/IPCClient.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCCodec.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "JSON/JSONValue.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>

namespace quorvane::IPCClient {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Connects within `timeout` seconds. A non-blocking connect cannot be waited for here: on a full listen
// backlog a local socket fails with EAGAIN at once instead of completing later. A blocking connect waits
// for room in the backlog, bounded by the send timeout.
void connectWithin(int fd, const sockaddr_un& address, double timeout)
{
    // Zero would mean no limit at all, and a huge value must not overflow the field.
    double bounded = std::clamp(timeout, 1e-6, 1e9);
    timeval limit {};
    limit.tv_sec = static_cast<time_t>(bounded);
    limit.tv_usec = static_cast<suseconds_t>((bounded - static_cast<double>(limit.tv_sec)) * 1e6);
    if (limit.tv_sec == 0 && limit.tv_usec == 0)
        limit.tv_usec = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0)
        throw IPCError::unavailable();
    int result;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        throw errno == EAGAIN || errno == EINPROGRESS ? IPCError::timedOut() : IPCError::unavailable();
}

} // namespace

RPCResponse request(const std::string& path, const RPCRequest& request, double timeout)
{
    const auto start = std::chrono::steady_clock::now();
    std::string line = RPCCodec::encodeLine(request);
    try {
        FileDescriptor socketFD(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!socketFD)
            throw IPCError::unavailable();
        sockaddr_un address;
        copy(path, address);
        connectWithin(socketFD.get(), address, timeout);
        writeAll(socketFD.get(), line, timeout - secondsSince(start));
        std::string answer = readLine(socketFD.get(), timeout - secondsSince(start), responseLineLimit);
        try {
            return RPCCodec::decodeResponse(answer);
        } catch (const JSONError&) {
            throw IPCError::badResponse();
        }
    } catch (const IPCError& error) {
        throw IPCError(error.code(), path);
    }
}

} // namespace quorvane::IPCClient
