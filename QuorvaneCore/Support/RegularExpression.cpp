#include "Support/RegularExpression.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace quorvane {

namespace {

icu::UnicodeString toICU(std::string_view text)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// Turns positions in the UTF-16 copy that ICU searches back into byte offsets of the UTF-8 text. Each ill-formed
// sequence became one U+FFFD in the copy, as it does here; asked in increasing order, the walk is linear overall.
class ByteOffsets {
public:
    explicit ByteOffsets(std::string_view text)
        : m_bytes(reinterpret_cast<const uint8_t*>(text.data()))
        , m_length(static_cast<int32_t>(text.size()))
    {
    }

    size_t at(int64_t unit)
    {
        if (unit < m_unit)
            m_unit = m_byte = 0;
        while (m_unit < unit && m_byte < m_length) {
            UChar32 scalar;
            U8_NEXT_OR_FFFD(m_bytes, m_byte, m_length, scalar);
            m_unit += U16_LENGTH(scalar);
        }
        return static_cast<size_t>(m_byte);
    }

private:
    const uint8_t* m_bytes;
    int32_t m_length;
    int64_t m_unit = 0;
    int32_t m_byte = 0;
};

// The match the matcher has just found, or none when reading it fails.
std::optional<RegularExpression::Match> currentMatch(const icu::RegexMatcher& matcher, ByteOffsets& offsets)
{
    UErrorCode status = U_ZERO_ERROR;
    RegularExpression::Match match;
    match.start = offsets.at(matcher.start64(status));
    match.end = offsets.at(matcher.end64(status));
    match.groups.reserve(static_cast<size_t>(matcher.groupCount()));
    for (int32_t group = 1; group <= matcher.groupCount(); ++group) {
        if (matcher.start64(group, status) < 0) {
            match.groups.emplace_back();
            continue;
        }
        std::string value;
        matcher.group(group, status).toUTF8String(value);
        match.groups.emplace_back(std::move(value));
    }
    if (U_FAILURE(status))
        return std::nullopt;
    return match;
}

} // namespace

struct RegularExpression::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;
};

RegularExpression::RegularExpression(std::shared_ptr<const Compiled> compiled)
    : m_compiled(std::move(compiled))
{
}

std::optional<RegularExpression> RegularExpression::make(std::string_view pattern, bool caseInsensitive)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(toICU(pattern), caseInsensitive ? UREGEX_CASE_INSENSITIVE : 0, status));
    if (U_FAILURE(status) || !compiled)
        return std::nullopt;
    return RegularExpression(std::make_shared<const Compiled>(Compiled { std::move(compiled) }));
}

std::optional<RegularExpression::Match> RegularExpression::firstMatch(std::string_view text, int32_t workLimit) const
{
    icu::UnicodeString units = toICU(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->pattern->matcher(units, status));
    if (U_SUCCESS(status) && workLimit > 0)
        matcher->setTimeLimit(workLimit, status);
    if (U_FAILURE(status) || !matcher->find(status) || U_FAILURE(status))
        return std::nullopt;
    ByteOffsets offsets(text);
    return currentMatch(*matcher, offsets);
}

void RegularExpression::forEachMatch(std::string_view text, const std::function<bool(const Match&)>& visit) const
{
    icu::UnicodeString units = toICU(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->pattern->matcher(units, status));
    ByteOffsets offsets(text);
    while (U_SUCCESS(status) && matcher->find(status) && U_SUCCESS(status)) {
        std::optional<Match> match = currentMatch(*matcher, offsets);
        if (!match || !visit(*match))
            return;
    }
}

} // namespace quorvane
