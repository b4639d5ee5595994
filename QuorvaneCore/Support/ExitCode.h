#pragma once

#include <cstdint>

namespace quorvane {

// Process exit statuses shared by the tool, the socket protocol and the router.
namespace ExitCode {
inline constexpr int32_t ok = 0;
inline constexpr int32_t usage = 1;
inline constexpr int32_t config = 2;
inline constexpr int32_t unavailable = 3;
inline constexpr int32_t permission = 4;
inline constexpr int32_t notFound = 5;
inline constexpr int32_t conflict = 6;
inline constexpr int32_t cancelled = 7;
inline constexpr int32_t failed = 8;
} // namespace ExitCode

} // namespace quorvane
