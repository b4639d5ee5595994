#include "RPC/RPCResponse.h"

#include "Command/CommandOutput.h"

#include <utility>

namespace quorvane {

RPCResponse::RPCResponse(std::string id, int64_t exitCode, std::string message, std::string payload)
    : id(std::move(id))
    , exitCode(exitCode)
    , message(std::move(message))
    , payload(std::move(payload))
{
}

RPCResponse::RPCResponse(std::string id, const CommandOutput& output)
    : RPCResponse(std::move(id), output.exitCode, output.message, output.payload.canonicalString())
{
}

} // namespace quorvane
