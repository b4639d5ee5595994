#include "QuorvaneIPC/IPCClient.h"

#include "QuorvaneIPC/FileDescriptor.h"
#include "QuorvaneIPC/IPCError.h"
#include "QuorvaneIPC/SocketIO.h"
#include "RPC/RPCCodec.h"
#include "RPC/RPCRequest.h"
#include "RPC/RPCResponse.h"
#include "JSON/JSONValue.h"

#include <sys/socket.h>
#include <sys/un.h>

namespace quorvane::IPCClient {

RPCResponse request(const std::string& path, const RPCRequest& request, double timeout)
{
    std::string line = RPCCodec::encodeLine(request);
    try {
        FileDescriptor socketFD(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!socketFD)
            throw IPCError::unavailable();
        sockaddr_un address;
        copy(path, address);
        if (::connect(socketFD.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            throw IPCError::unavailable();
        writeAll(socketFD.get(), line);
        std::string answer = readLine(socketFD.get(), timeout, socketLineLimit);
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
