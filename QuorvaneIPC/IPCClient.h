#pragma once

#include <string>

namespace quorvane {

struct RPCRequest;
struct RPCResponse;

namespace IPCClient {

// Sends `request` to the server at `path` and waits up to `timeout` seconds for its one response line.
// Throws IPCError naming the path (pathTooLong, unavailable, timedOut, or badResponse for an answer that
// is too long, cut short or not a response), or JSONError when the request itself cannot be encoded.
RPCResponse request(const std::string& path, const RPCRequest& request, double timeout);

} // namespace IPCClient

} // namespace quorvane
