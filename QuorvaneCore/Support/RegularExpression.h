#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// An ICU regular expression, compiled once, searched in UTF-8 text. Ill-formed bytes in the text read as
// U+FFFD. A compiled expression is immutable and may be shared between threads.
class RegularExpression {
public:
    struct Match {
        // Byte offsets of the whole match in the searched text.
        size_t start = 0;
        size_t end = 0;
        // The text of capture groups 1, 2, ...; none for a group that took no part in the match.
        std::vector<std::optional<std::string>> groups;

        friend bool operator==(const Match&, const Match&) = default;
    };

    // The compiled `pattern` (ICU syntax), or none when it does not compile.
    static std::optional<RegularExpression> make(std::string_view pattern, bool caseInsensitive = false);

    // The first match in `text`, or none. With a `workLimit` above zero a search that takes more than that many
    // ICU match steps gives up and finds nothing.
    std::optional<Match> firstMatch(std::string_view text, int32_t workLimit = 0) const;

    // Calls `visit` with the matches in `text` from left to right, each search going on where the last match
    // ended, until there are no more or `visit` returns false. The text is decoded once for all of them.
    void forEachMatch(std::string_view text, const std::function<bool(const Match&)>& visit) const;

private:
    struct Compiled;
    explicit RegularExpression(std::shared_ptr<const Compiled>);

    std::shared_ptr<const Compiled> m_compiled;
};

} // namespace quorvane
