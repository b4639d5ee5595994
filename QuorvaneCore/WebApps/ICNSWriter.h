#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

// Apple icon files: "icns", the big-endian file length, then typed elements.
namespace ICNSWriter {

// Lengths are 32-bit: an element or a file that would not fit is refused with a "failed" QuorvaneError.
inline constexpr size_t maximumFileLength = 0xFFFFFFFFu;

// The file holding each (type, data) element whose type is exactly four bytes, in order.
std::string file(const std::vector<std::pair<std::string, std::string>>& elements);

// A file with the PNG bytes as its one element: "ic08" above 80000 bytes, else "ic07".
std::string wrappingPNG(std::string_view png);

} // namespace ICNSWriter

} // namespace quorvane
