// Any manifest text yields only manifest icons with absolute addresses and sensible sizes; nothing throws.
#include "WebApps/SiteIcons.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quorvane;
    std::string_view manifest(reinterpret_cast<const char*>(data), size);
    for (const IconCandidate& candidate :
        SiteIcons::manifestIconCandidates(manifest, "https://example.com/static/site.webmanifest")) {
        if (candidate.rel != "manifest-icon" || candidate.url.rfind("data:", 0) == 0)
            std::abort();
        if (candidate.size && (*candidate.size < 1 || *candidate.size > SiteIcons::largestIconSize))
            std::abort();
    }
    return 0;
}
