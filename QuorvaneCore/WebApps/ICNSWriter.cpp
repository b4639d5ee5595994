#include "WebApps/ICNSWriter.h"

#include "Support/QuorvaneError.h"

#include <cstdint>

namespace quorvane::ICNSWriter {

namespace {

constexpr size_t headerLength = 8;
constexpr size_t largePNGThreshold = 80000;

void appendHeader(std::string& out, std::string_view type, size_t dataLength)
{
    if (dataLength > maximumFileLength - headerLength)
        throw QuorvaneError::failed("The icon is too large for an icon file.");
    auto length = static_cast<uint32_t>(dataLength + headerLength);
    out += type;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((length >> shift) & 0xFF);
}

} // namespace

std::string file(const std::vector<std::pair<std::string, std::string>>& elements)
{
    std::string body;
    for (const auto& [type, data] : elements) {
        if (type.size() != 4)
            continue;
        appendHeader(body, type, data.size());
        body += data;
    }
    std::string result;
    result.reserve(body.size() + headerLength);
    appendHeader(result, "icns", body.size());
    result += body;
    return result;
}

std::string wrappingPNG(std::string_view png)
{
    return file({ { png.size() > largePNGThreshold ? "ic08" : "ic07", std::string(png) } });
}

} // namespace quorvane::ICNSWriter
