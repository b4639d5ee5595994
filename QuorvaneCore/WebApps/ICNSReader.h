#pragma once

#include <map>
#include <string>
#include <string_view>

namespace quorvane {

// Reads back Apple icon files such as the ones ICNSWriter makes.
namespace ICNSReader {

// The square PNG images of an icon file by their edge length in pixels (the largest one of each size).
// Bytes that are not an icon file, elements that are not PNG and lengths that overrun the data give
// nothing for those parts: an icon passed through unchanged may be anything.
std::map<int, std::string> pngImages(std::string_view icns);

// The width of a PNG image whose header says it is square and at most 4096 pixels wide, or 0.
int squarePNGEdge(std::string_view png);

} // namespace ICNSReader

} // namespace quorvane
