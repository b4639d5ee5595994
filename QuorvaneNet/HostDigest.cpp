#include "QuorvaneNet/HostDigest.h"

#include "Support/FileContents.h"
#include "Support/QuorvaneError.h"

#include <filesystem>
#include <openssl/evp.h>
#include <stdexcept>
#include <system_error>

namespace quorvane {

std::string hostDigest(std::string_view bytes)
{
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(bytes.data(), bytes.size(), value, &length, EVP_sha1(), nullptr))
        throw std::runtime_error("SHA-1 is not available.");
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned int index = 0; index < length; ++index) {
        text += digits[value[index] >> 4];
        text += digits[value[index] & 0x0F];
    }
    return text;
}

std::optional<std::string> digest(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::optional<std::string> contents = FileContents::readIfReadable(path);
    if (!contents)
        return std::nullopt;
    return hostDigest(*contents);
}

} // namespace quorvane
