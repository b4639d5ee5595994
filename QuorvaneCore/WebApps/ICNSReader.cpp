#include "WebApps/ICNSReader.h"

#include <cstdint>

namespace quorvane {

namespace {

constexpr std::string_view pngSignature = "\x89PNG\r\n\x1a\n";
constexpr size_t headerLength = 8;

uint32_t bigEndian(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t index = 0; index < 4; ++index)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + index]);
    return value;
}

} // namespace

int ICNSReader::squarePNGEdge(std::string_view png)
{
    // Signature, then the IHDR chunk: length, "IHDR", width, height.
    if (!png.starts_with(pngSignature) || png.size() < 24 || png.substr(12, 4) != "IHDR")
        return 0;
    uint32_t width = bigEndian(png, 16);
    uint32_t height = bigEndian(png, 20);
    return width == height && width > 0 && width <= 4096 ? static_cast<int>(width) : 0;
}

std::map<int, std::string> ICNSReader::pngImages(std::string_view icns)
{
    std::map<int, std::string> images;
    if (icns.size() < headerLength || !icns.starts_with("icns"))
        return images;
    size_t end = std::min<size_t>(icns.size(), bigEndian(icns, 4));
    for (size_t at = headerLength; at + headerLength <= end;) {
        size_t length = bigEndian(icns, at + 4);
        if (length < headerLength || length > end - at)
            break;
        std::string_view data = icns.substr(at + headerLength, length - headerLength);
        if (int edge = squarePNGEdge(data); edge > 0 && data.size() > images[edge].size())
            images[edge] = std::string(data);
        at += length;
    }
    std::erase_if(images, [](const auto& image) { return image.second.empty(); });
    return images;
}

} // namespace quorvane
