#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane {

// A release number: dotted decimal numbers such as "1.2.0", compared number by number. Missing trailing
// numbers count as zero, so "1.2" and "1.2.0" are the same release.
class ReleaseVersion {
public:
    // Texts longer than this are not release numbers.
    static constexpr size_t maximumLength = 64;

    // The release number `text` spells: one to eight dot-separated runs of ASCII digits, nothing else (no
    // "v", no blanks, no pre-release or build suffix such as "-beta" or "+1"). Nothing for any other text.
    static std::optional<ReleaseVersion> parse(std::string_view text);

    // Whether `candidate` names a later release than `current`; false when either is not a release number.
    static bool isNewer(std::string_view candidate, std::string_view current);

    friend bool operator==(const ReleaseVersion&, const ReleaseVersion&) = default;
    friend std::strong_ordering operator<=>(const ReleaseVersion&, const ReleaseVersion&) = default;

private:
    explicit ReleaseVersion(std::vector<uint64_t> numbers)
        : m_numbers(std::move(numbers))
    {
    }

    // Without trailing zeros, so that equal releases compare equal member by member.
    std::vector<uint64_t> m_numbers;
};

} // namespace quorvane
