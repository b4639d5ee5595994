#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct sockaddr_un;

namespace quorvane {

// The server refuses a request line that reaches this many bytes without its line feed.
inline constexpr std::size_t requestLineLimit = 1'048'576;
// The client refuses a longer answer line. An answer may carry the largest config file the programs read
// several times over (`config show`: its text and its JSON, each escaped again inside the line, names
// repeated as defaults), which this leaves room for.
inline constexpr std::size_t responseLineLimit = 32 * requestLineLimit;

// Fills `address` (zeroed, local family) with `path` and its zero byte. Throws IPCError pathTooLong when
// the path is longer than QuorvanePaths::socketPathLimit, and unavailable when it is empty or holds a zero byte.
void copy(const std::string& path, sockaddr_un& address);

// The bytes before the first line feed on `fd`. Throws IPCError: timedOut once `timeout` seconds have
// passed, badResponse when `limit` bytes arrive without a line feed or the peer closes first,
// unavailable on a wait or receive error. Bytes after the line feed stay unread.
std::string readLine(int fd, double timeout, std::size_t limit);

// Sends every byte of `bytes` without raising SIGPIPE. Throws IPCError: timedOut when the peer has not
// taken them all within `timeout` seconds, unavailable when a wait or send fails.
void writeAll(int fd, std::string_view bytes, double timeout);

} // namespace quorvane
