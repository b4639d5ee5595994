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

std::optional<ResolvedTarget> resolveTarget(
    std::string_view text, const QuorvaneConfig& config, const ApplicationIdCheck& isApplicationId)
{
    if (std::optional<ResolvedTarget> target = resolveTarget(text, config))
        return target;
    std::u32string scalars = UnicodeText::scalars(text);
    bool plainWord = !scalars.empty() && std::none_of(scalars.begin(), scalars.end(), [](char32_t scalar) {
        return scalar == U'/' || scalar < 0x20 || scalar == 0x7f || UnicodeText::isWhiteSpaceScalar(scalar);
    });
    std::string word(text);
    if (plainWord && isApplicationId && isApplicationId(word))
        return ResolvedTarget::bundle(std::move(word));
    return std::nullopt;
}

} // namespace quorvane
