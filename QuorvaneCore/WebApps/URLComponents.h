#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane {

// An address split into its parts by RFC 3986. Parts keep the text as written (still percent-encoded).
struct URLComponents {
    // Absent for a relative reference.
    std::optional<std::string> scheme;
    // Absent when the address names no host, or an empty one ("file:///tmp").
    std::optional<std::string> host;
    std::string path;
    std::optional<std::string> query;

    // The parts of `text`, or nothing when it is empty or not a URI reference.
    static std::optional<URLComponents> parse(std::string_view text);

    // Whether the scheme is http or https, in any case.
    bool hasWebScheme() const;

    // The query's name and value pairs, percent-decoded, in order.
    std::vector<std::pair<std::string, std::string>> queryItems() const;

    friend bool operator==(const URLComponents&, const URLComponents&) = default;
};

// `reference` resolved against the absolute address `base`; nothing when either is empty or does not parse.
std::optional<std::string> resolvedURL(std::string_view reference, std::string_view base);

} // namespace quorvane
