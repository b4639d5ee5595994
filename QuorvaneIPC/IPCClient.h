#pragma once

#include <string>

namespace quorvane {

struct RPCRequest;
struct RPCResponse;

namespace IPCClient {

// Sends `request` to the server at `path` and reads its one response line, all within `timeout` seconds,
// connecting and sending included.
// Throws IPCError naming the path (pathTooLong, unavailable, timedOut, or badResponse for an answer that
// is too long, cut short or not a response), or JSONError when the request itself cannot be encoded.
RPCResponse request(const std::string& path, const RPCRequest& request, double timeout);

} // namespace IPCClient

} // namespace quorvane
