#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The one place where the system asks what a character is. Text is UTF-8 throughout;
// a "character" is an extended grapheme cluster, as a person counts them.
namespace UnicodeText {

// Splits `text` into extended grapheme clusters; the views point into `text`.
std::vector<std::string_view> graphemeClusters(std::string_view text);

// One flag per byte of `text`: true where an extended grapheme cluster begins. A compact form of
// `graphemeClusters` for long texts.
std::vector<bool> clusterStarts(std::string_view text);

// Decodes `text` into Unicode scalars; ill-formed bytes become U+FFFD.
std::u32string scalars(std::string_view text);

// Encodes one scalar (or a sequence) as UTF-8.
std::string utf8(char32_t scalar);
std::string utf8(std::u32string_view scalars);

// True when the bytes are well-formed UTF-8.
bool isValidUTF8(std::string_view text);
// "\\u" and four upper-case hex digits: the escape TOML and JSON share for a scalar below U+10000.
std::string unicodeEscape(char32_t scalar);
// `text` with every control character (general category Cc) but line feed and tab written as its
// unicodeEscape, so that text shown on a terminal cannot drive it. Other bytes pass unchanged.
std::string withVisibleControls(std::string_view text);

// Latin-1 bytes (every byte the scalar of its value) as UTF-8.
std::string fromLatin1(std::string_view bytes);
// Text from outside that should be UTF-8 but may not be: the bytes unchanged when they are well-formed
// UTF-8, otherwise read as Latin-1, so the result is always UTF-8.
std::string utf8OrLatin1(std::string_view bytes);

// The first scalar of `text`, or U+0000 when it is empty.
char32_t firstScalar(std::string_view text);

// A cluster is a letter or number when its first scalar's general category is L* or N*.
bool isLetterOrNumber(std::string_view cluster);
bool isLetter(std::string_view cluster);
// Numeric (general category N*) and decimal digit (Nd).
bool isNumeric(std::string_view cluster);
bool isDecimalDigit(std::string_view cluster);
// A cluster is white space when every scalar in it has the White_Space property
// (line breaks included).
bool isWhiteSpace(std::string_view cluster);
bool isWhiteSpaceScalar(char32_t scalar);
// Lower-case: the cluster changes nothing under lower-case mapping and has a cased letter.
bool isLowercase(std::string_view cluster);
bool isUppercase(std::string_view cluster);

// Full case mapping in the root locale ("ß" upper-cases to "SS").
std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);

// Removes White_Space scalars (spaces, tabs, line breaks and their Unicode kin) at both ends.
std::string trimmed(std::string_view text);

// Case-insensitive equality by full case folding.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Equality after NFC normalisation and full case folding: two texts that a normalisation- and
// case-insensitive file system would store as one name ("Café" precomposed or decomposed, any case).
bool equalsIgnoringCaseAndNormalization(std::string_view a, std::string_view b);

} // namespace UnicodeText

} // namespace quorvane
