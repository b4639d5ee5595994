#pragma once

#include <string>
#include <string_view>

namespace quorvane {

struct RPCRequest;
struct RPCResponse;

// The socket protocol's framing: one compact JSON object per line.
namespace RPCCodec {

// The record's JSON text, members in their declared order, followed by one line feed.
// Throws JSONError when a text is not valid UTF-8.
std::string encodeLine(const RPCRequest&);
std::string encodeLine(const RPCResponse&);

// Reads one line without its line feed. Every member is required with its JSON type, in any
// order; unknown members are ignored. Throws JSONError otherwise.
RPCRequest decodeRequest(std::string_view line);
RPCResponse decodeResponse(std::string_view line);

} // namespace RPCCodec

} // namespace quorvane
