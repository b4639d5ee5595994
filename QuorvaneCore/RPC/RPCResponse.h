#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

struct CommandOutput;

// The application's answer to one request; `payload` is itself a compact JSON text.
struct RPCResponse {
    std::string id;
    int64_t exitCode = 0;
    std::string message;
    std::string payload = "{}";

    RPCResponse() = default;
    RPCResponse(std::string id, int64_t exitCode, std::string message, std::string payload);
    // Takes the exit code and message of `output` and its payload's canonical text.
    RPCResponse(std::string id, const CommandOutput& output);

    friend bool operator==(const RPCResponse&, const RPCResponse&) = default;
};

} // namespace quorvane
