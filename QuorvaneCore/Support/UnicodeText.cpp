#include "Support/UnicodeText.h"

#include <algorithm>
#include <memory>
#include <system_error>
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

namespace quorvane::UnicodeText {

namespace {

// Breaking a UTF-8 text in place keeps cluster boundaries as byte offsets.
class GraphemeBreaker {
public:
    GraphemeBreaker()
    {
        UErrorCode status = U_ZERO_ERROR;
        m_iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status))
            throw std::system_error(status, std::generic_category(), "ICU character break iterator");
    }

    // Marks the cluster starts of `text` from `offset` on in `starts`.
    void mark(std::string_view text, size_t offset, std::vector<bool>& starts)
    {
        UErrorCode status = U_ZERO_ERROR;
        UText* utext = utext_openUTF8(&m_utext, text.data(), static_cast<int64_t>(text.size()), &status);
        if (U_FAILURE(status))
            throw std::system_error(status, std::generic_category(), "ICU UTF-8 text");
        m_iterator->setText(utext, status);
        for (int32_t start = m_iterator->first(); start != icu::BreakIterator::DONE; start = m_iterator->next()) {
            if (static_cast<size_t>(start) < text.size())
                starts[offset + static_cast<size_t>(start)] = true;
        }
        utext_close(utext);
    }

private:
    std::unique_ptr<icu::BreakIterator> m_iterator;
    UText m_utext = UTEXT_INITIALIZER;
};

bool isASCII(char byte)
{
    return static_cast<unsigned char>(byte) < 0x80;
}

// Between two ASCII characters there is always a boundary except inside CR LF: every extending, joining
// or prepended scalar lies outside ASCII. Only the stretches around other bytes need the break iterator.
bool isCertainBoundary(std::string_view text, size_t index)
{
    if (index == 0 || index >= text.size())
        return true;
    return isASCII(text[index - 1]) && isASCII(text[index]) && !(text[index - 1] == '\r' && text[index] == '\n');
}

icu::UnicodeString toICU(std::string_view text)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string fromICU(const icu::UnicodeString& text)
{
    std::string result;
    text.toUTF8String(result);
    return result;
}

bool firstScalarHasCategory(std::string_view cluster, uint32_t mask)
{
    if (cluster.empty())
        return false;
    return (U_GET_GC_MASK(firstScalar(cluster)) & mask) != 0;
}

} // namespace

std::vector<bool> clusterStarts(std::string_view text)
{
    std::vector<bool> starts(text.size(), true);
    for (size_t index = 0; index < text.size(); ++index) {
        if (isASCII(text[index])) {
            if (!isCertainBoundary(text, index))
                starts[index] = false; // the line feed of CR LF
            continue;
        }
        // The stretch between the certain boundaries around this byte goes through the break iterator.
        size_t first = index;
        while (!isCertainBoundary(text, first))
            --first;
        size_t last = index + 1;
        while (!isCertainBoundary(text, last))
            ++last;
        for (size_t inside = first; inside < last; ++inside)
            starts[inside] = false;
        thread_local GraphemeBreaker breaker;
        breaker.mark(text.substr(first, last - first), first, starts);
        index = last - 1;
    }
    return starts;
}

std::vector<std::string_view> graphemeClusters(std::string_view text)
{
    std::vector<bool> starts = clusterStarts(text);
    std::vector<std::string_view> clusters;
    size_t start = 0;
    for (size_t index = 1; index <= text.size(); ++index) {
        if (index == text.size() || starts[index]) {
            clusters.push_back(text.substr(start, index - start));
            start = index;
        }
    }
    return clusters;
}

std::u32string scalars(std::string_view text)
{
    std::u32string result;
    result.reserve(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        result.push_back(static_cast<char32_t>(c));
    }
    return result;
}

std::string utf8(char32_t scalar)
{
    uint8_t buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(buffer, length, U8_MAX_LENGTH, static_cast<UChar32>(scalar), error);
    if (error)
        return "\xEF\xBF\xBD";
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

std::string utf8(std::u32string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char32_t scalar : text)
        result += utf8(scalar);
    return result;
}

bool isValidUTF8(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0)
            return false;
    }
    return true;
}

std::string unicodeEscape(char32_t scalar)
{
    constexpr std::string_view digits = "0123456789ABCDEF";
    std::string result = "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        result += digits[(scalar >> shift) & 0xF];
    return result;
}

std::string withVisibleControls(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F) {
            result += unicodeEscape(byte);
        } else if (byte == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
            // U+0080 to U+009F, the C1 controls, are 0xC2 and then 0x80 to 0x9F in UTF-8.
            result += unicodeEscape(static_cast<unsigned char>(text[++i]));
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string fromLatin1(std::string_view bytes)
{
    std::u32string latin1;
    latin1.reserve(bytes.size());
    for (char byte : bytes)
        latin1.push_back(static_cast<unsigned char>(byte));
    return utf8(latin1);
}

std::string utf8OrLatin1(std::string_view bytes)
{
    return isValidUTF8(bytes) ? std::string(bytes) : fromLatin1(bytes);
}

char32_t firstScalar(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t i = 0;
    UChar32 c;
    U8_NEXT_OR_FFFD(bytes, i, static_cast<int32_t>(text.size()), c);
    return static_cast<char32_t>(c);
}

bool isLetterOrNumber(std::string_view cluster)
{
    return firstScalarHasCategory(cluster, U_GC_L_MASK | U_GC_N_MASK);
}
bool isLetter(std::string_view cluster)
{
    return firstScalarHasCategory(cluster, U_GC_L_MASK);
}
bool isNumeric(std::string_view cluster)
{
    return firstScalarHasCategory(cluster, U_GC_N_MASK);
}
bool isDecimalDigit(std::string_view cluster)
{
    return firstScalarHasCategory(cluster, U_GC_ND_MASK);
}

bool isWhiteSpaceScalar(char32_t scalar)
{
    return u_isUWhiteSpace(static_cast<UChar32>(scalar));
}

bool isWhiteSpace(std::string_view cluster)
{
    if (cluster.empty())
        return false;
    for (char32_t scalar : scalars(cluster)) {
        if (!isWhiteSpaceScalar(scalar))
            return false;
    }
    return true;
}

bool isLowercase(std::string_view cluster)
{
    icu::UnicodeString text = toICU(cluster);
    bool cased = false;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1))
        cased = cased || u_hasBinaryProperty(text.char32At(i), UCHAR_CASED);
    icu::UnicodeString lower = text;
    lower.toLower(icu::Locale::getRoot());
    return cased && lower == text;
}

bool isUppercase(std::string_view cluster)
{
    icu::UnicodeString text = toICU(cluster);
    bool cased = false;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1))
        cased = cased || u_hasBinaryProperty(text.char32At(i), UCHAR_CASED);
    icu::UnicodeString upper = text;
    upper.toUpper(icu::Locale::getRoot());
    return cased && upper == text;
}

std::string lowercased(std::string_view text)
{
    // ASCII maps only A to Z in the root locale; key presses are lower-cased on every key, so skip ICU there.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string lower(text);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return lower;
    }
    icu::UnicodeString value = toICU(text);
    value.toLower(icu::Locale::getRoot());
    return fromICU(value);
}

std::string uppercased(std::string_view text)
{
    icu::UnicodeString value = toICU(text);
    value.toUpper(icu::Locale::getRoot());
    return fromICU(value);
}

std::string trimmed(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(text.size());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, next, length, c);
        if (!u_isUWhiteSpace(c))
            break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV_OR_FFFD(bytes, start, previous, c);
        if (!u_isUWhiteSpace(c))
            break;
        end = previous;
    }
    return std::string(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return toICU(a).caseCompare(toICU(b), U_FOLD_CASE_DEFAULT) == 0;
}

namespace {

icu::UnicodeString normalizedAndFolded(std::string_view text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        throw std::system_error(status, std::generic_category(), "ICU NFC normalizer");
    icu::UnicodeString value = nfc->normalize(toICU(text), status);
    value.foldCase(U_FOLD_CASE_DEFAULT);
    // Folding can leave text unnormalised ("ǰ" folds to j and a combining caron), so normalise again.
    value = nfc->normalize(value, status);
    if (U_FAILURE(status))
        throw std::system_error(status, std::generic_category(), "ICU NFC normalization");
    return value;
}

} // namespace

bool equalsIgnoringCaseAndNormalization(std::string_view a, std::string_view b)
{
    return normalizedAndFolded(a) == normalizedAndFolded(b);
}

} // namespace quorvane::UnicodeText
