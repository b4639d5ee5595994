#pragma once

#include "WebApps/IconCandidate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// Finding and ranking the icons a site declares. Pure functions over downloaded text.
namespace SiteIcons {

// Declared sizes outside this range cannot be real icons and are read as absent.
inline constexpr int64_t largestIconSize = 10000;

// The icon links of an HTML page, in document order, then its manifest link (rel "manifest").
std::vector<IconCandidate> iconCandidates(std::string_view page, std::string_view base);

// The icons a web app manifest lists; `base` is the manifest's own address. Empty for anything unreadable.
std::vector<IconCandidate> manifestIconCandidates(std::string_view manifest, std::string_view base);

// The raw `href` of the page's first link whose `rel` contains "manifest".
std::optional<std::string> manifestHref(std::string_view page);

// The value of attribute `name` in `tag`: double-quoted, single-quoted or bare; names match in any case.
std::optional<std::string> attribute(std::string_view name, std::string_view tag);

// `target` made absolute against `base`; "data:" targets and unparsable addresses give nothing.
std::optional<std::string> resolve(std::string_view target, std::string_view base);

// The largest width a `sizes` value declares ("16x16 32x32" gives 32); nothing for "any" or no sizes.
std::optional<int64_t> iconSize(std::optional<std::string_view> sizes);

// Bigger is better: the size (32 when unknown), +50 for an apple touch icon, +20 for PNG, -10 for SVG.
int64_t rank(const IconCandidate&);

// The best-ranked candidate's address, manifest links aside; ties go to the earlier candidate.
std::optional<std::string> bestIconURL(const std::vector<IconCandidate>&);

// True when the bytes begin with the PNG signature's first four bytes.
bool isPNG(std::string_view bytes);

} // namespace SiteIcons

} // namespace quorvane
