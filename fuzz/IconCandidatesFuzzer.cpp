// Any page yields icon candidates with absolute web addresses, sensible sizes and lower-case rel values,
// and the best of them is one of them.
#include "Support/UnicodeText.h"
#include "WebApps/SiteIcons.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quorvane;
    std::string_view page(reinterpret_cast<const char*>(data), size);
    std::vector<IconCandidate> candidates = SiteIcons::iconCandidates(page, "https://example.com/app/page.html");
    for (const IconCandidate& candidate : candidates) {
        if (candidate.url.find(':') == std::string::npos)
            std::abort();
        if (candidate.size && (*candidate.size < 1 || *candidate.size > SiteIcons::largestIconSize))
            std::abort();
        if (candidate.rel != UnicodeText::lowercased(candidate.rel))
            std::abort();
        SiteIcons::rank(candidate);
    }
    if (std::optional<std::string> best = SiteIcons::bestIconURL(candidates)) {
        auto matches = [&](const IconCandidate& candidate) { return candidate.url == *best; };
        if (std::none_of(candidates.begin(), candidates.end(), matches))
            std::abort();
    }
    SiteIcons::manifestHref(page);
    return 0;
}
