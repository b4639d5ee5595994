#include "WebApps/InternationalAddress.h"

#include <algorithm>
#include <memory>
#include <unicode/bytestream.h>
#include <unicode/idna.h>

namespace quorvane::InternationalAddress {

namespace {

bool isASCII(std::string_view text)
{
    return std::ranges::all_of(text, [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

std::string percentEncodedBeyondASCII(std::string_view text)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (char byte : text) {
        auto value = static_cast<unsigned char>(byte);
        if (value < 0x80) {
            encoded += byte;
            continue;
        }
        encoded += '%';
        encoded += digits[value >> 4];
        encoded += digits[value & 0xF];
    }
    return encoded;
}

// The host name converted one way or the other by UTS #46 processing, as browsers do; nothing on any error.
std::optional<std::string> converted(std::string_view host, bool toASCII)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::IDNA> idna(icu::IDNA::createUTS46Instance(
        UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_NONTRANSITIONAL_TO_UNICODE | UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ,
        status));
    if (U_FAILURE(status))
        return std::nullopt;
    std::string result;
    icu::StringByteSink<std::string> sink(&result);
    icu::IDNAInfo info;
    icu::StringPiece name(host.data(), static_cast<int32_t>(host.size()));
    if (toASCII)
        idna->nameToASCII_UTF8(name, sink, info, status);
    else
        idna->nameToUnicodeUTF8(name, sink, info, status);
    if (U_FAILURE(status) || info.hasErrors())
        return std::nullopt;
    return result;
}

} // namespace

std::optional<std::string> ascii(std::string_view text)
{
    if (isASCII(text))
        return std::string(text);
    size_t start = text.find("://");
    if (start == std::string_view::npos)
        return std::nullopt;
    start += 3;
    size_t end = std::min(text.find_first_of("/?#", start), text.size());
    // The host sits between any user information and any port.
    size_t at = text.substr(start, end - start).rfind('@');
    size_t hostStart = at == std::string_view::npos ? start : start + at + 1;
    size_t colon = text.substr(hostStart, end - hostStart).rfind(':');
    size_t hostEnd = colon == std::string_view::npos ? end : hostStart + colon;
    std::string_view host = text.substr(hostStart, hostEnd - hostStart);
    std::optional<std::string> asciiHost = isASCII(host) ? std::string(host) : converted(host, true);
    if (!asciiHost || asciiHost->empty())
        return std::nullopt;
    return percentEncodedBeyondASCII(text.substr(0, hostStart)) + *asciiHost
        + percentEncodedBeyondASCII(text.substr(hostEnd));
}

std::string unicodeHost(std::string_view host)
{
    if (host.find("xn--") == std::string_view::npos && host.find("XN--") == std::string_view::npos)
        return std::string(host);
    return converted(host, false).value_or(std::string(host));
}

} // namespace quorvane::InternationalAddress
