#include "WebApps/DesktopIdentifier.h"

#include <cstdint>

namespace quorvane {

namespace {

// D-Bus allows 255 bytes; the desktop file's name adds ".desktop" and must still fit in one file name.
constexpr size_t maximumLength = 255 - std::string_view(".desktop").size();
constexpr std::string_view hexDigits = "0123456789abcdef";

bool isASCIILetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isASCIIDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string escapedElement(std::string_view element)
{
    if (element.empty())
        return "_";
    std::string out;
    for (size_t index = 0; index < element.size(); ++index) {
        char c = element[index];
        if (isASCIILetter(c) || c == '-' || (isASCIIDigit(c) && index > 0)) {
            out += c;
        } else {
            auto byte = static_cast<unsigned char>(c);
            out += '_';
            out += hexDigits[byte >> 4];
            out += hexDigits[byte & 0xF];
        }
    }
    return out;
}

// FNV-1a, 64 bits: stable across runs and builds, which is all a shortened id needs.
uint64_t fingerprint(std::string_view text)
{
    uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 0x100000001b3u;
    }
    return hash;
}

// True when one of the last two bytes starts an escape, which then lacks its digits.
bool endsInsideEscape(std::string_view text)
{
    size_t tail = text.size() >= 2 ? text.size() - 2 : 0;
    return text.find('_', tail) != std::string_view::npos;
}

} // namespace

std::string desktopIdentifier(std::string_view bundleIdentifier)
{
    std::string out;
    size_t dots = 0;
    for (size_t start = 0;; ++dots) {
        size_t dot = bundleIdentifier.find('.', start);
        if (dots > 0)
            out += '.';
        out += escapedElement(bundleIdentifier.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    if (dots == 0)
        out = "app.quorvane." + out;
    if (out.size() > maximumLength) {
        uint64_t hash = fingerprint(bundleIdentifier);
        out.resize(maximumLength - 17);
        // Never end on a dot or inside an escape: either would leave an invalid or ambiguous tail.
        while (!out.empty() && (out.back() == '.' || endsInsideEscape(out)))
            out.pop_back();
        out += '_';
        for (int shift = 60; shift >= 0; shift -= 4)
            out += hexDigits[(hash >> shift) & 0xF];
    }
    return out;
}

} // namespace quorvane
