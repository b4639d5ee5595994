#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The one form of a bundle identifier that the desktop sees: the application id, the D-Bus name, the
// desktop-file id and WM_CLASS of a web app. Those refuse non-ASCII text, elements that start with a
// digit and most punctuation, which slugs may hold ("café-crème", "2048").
//
// Each dot-separated element keeps ASCII letters, digits (not in first place) and "-"; every other byte,
// "_" included, becomes "_" and two lower-case hexadecimal digits, so distinct identifiers stay distinct.
// An empty element becomes "_", a single element gets "app.quorvane." in front, and a result longer than
// 247 bytes (so that the desktop file's name fits in one file name, and D-Bus's 255 bytes hold) keeps its
// first 230 bytes followed by "_" and a 16-digit hash of the whole.
std::string desktopIdentifier(std::string_view bundleIdentifier);

} // namespace quorvane
