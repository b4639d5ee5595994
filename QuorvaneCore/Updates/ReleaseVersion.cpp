#include "Updates/ReleaseVersion.h"

#include <charconv>

namespace quorvane {

namespace {

constexpr size_t mostNumbers = 8;
// Eighteen digits always fit 64 bits.
constexpr size_t mostDigits = 18;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<ReleaseVersion> ReleaseVersion::parse(std::string_view text)
{
    if (text.empty() || text.size() > maximumLength)
        return std::nullopt;
    std::vector<uint64_t> numbers;
    size_t start = 0;
    while (true) {
        size_t end = text.find('.', start);
        std::string_view piece = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (piece.empty() || piece.size() > mostDigits || numbers.size() == mostNumbers)
            return std::nullopt;
        for (char c : piece) {
            if (!isDigit(c))
                return std::nullopt;
        }
        uint64_t number = 0;
        std::from_chars(piece.data(), piece.data() + piece.size(), number);
        numbers.push_back(number);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    while (!numbers.empty() && numbers.back() == 0)
        numbers.pop_back();
    return ReleaseVersion(std::move(numbers));
}

bool ReleaseVersion::isNewer(std::string_view candidate, std::string_view current)
{
    std::optional<ReleaseVersion> later = parse(candidate);
    std::optional<ReleaseVersion> now = parse(current);
    return later && now && *later > *now;
}

} // namespace quorvane
