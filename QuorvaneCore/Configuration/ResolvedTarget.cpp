#include "Configuration/ResolvedTarget.h"

#include "Support/UnicodeText.h"

#include <algorithm>

namespace quorvane {

std::optional<ResolvedTarget> resolveTarget(std::string_view text, const QuorvaneConfig& config)
{
    for (const WebAppRecord& app : config.apps) {
        if (UnicodeText::equalsIgnoringCase(app.slug, text) || UnicodeText::equalsIgnoringCase(app.spec.name, text)
            || UnicodeText::equalsIgnoringCase(app.spec.bundleIdentifier, text))
            return ResolvedTarget::webApp(app);
    }
    std::u32string scalars = UnicodeText::scalars(text);
    bool hasDot = scalars.find(U'.') != std::u32string::npos;
    bool hasSlash = scalars.find(U'/') != std::u32string::npos;
    bool hasBlank = std::any_of(scalars.begin(), scalars.end(), UnicodeText::isWhiteSpaceScalar);
    if (hasDot && !hasSlash && !hasBlank)
        return ResolvedTarget::bundle(std::string(text));
    return std::nullopt;
}

} // namespace quorvane
