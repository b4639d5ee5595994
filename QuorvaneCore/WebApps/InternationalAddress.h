#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// Addresses as people copy them from a browser's address bar, with letters of any script, and the ASCII form
// that RFC 3986 parsers and the network take.
namespace InternationalAddress {

// `text` with its host name in its IDNA (punycode) form and every other non-ASCII byte percent-encoded; nothing
// when `text` holds no "://" or its host is not a valid domain name. ASCII text comes back unchanged.
std::optional<std::string> ascii(std::string_view text);

// A host name with its punycode labels shown in their own script; the name itself when it has none or they
// do not decode.
std::string unicodeHost(std::string_view host);

} // namespace InternationalAddress

} // namespace quorvane
