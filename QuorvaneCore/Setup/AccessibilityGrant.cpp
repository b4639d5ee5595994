#include "Setup/AccessibilityGrant.h"

#include "Support/QuorvaneVersion.h"

namespace quorvane::AccessibilityGrant {

std::string currentBuild(const std::optional<std::string>& bundleVersion)
{
    if (bundleVersion && !bundleVersion->empty())
        return *bundleVersion;
    return QuorvaneVersion::current;
}

bool shouldAskAgain(bool onboardingComplete, bool trustedNow, std::string_view currentBuild,
    const std::optional<std::string>& lastGrantedBuild)
{
    if (!onboardingComplete || trustedNow)
        return false;
    return !lastGrantedBuild || *lastGrantedBuild != currentBuild;
}

bool shouldRemember(bool trustedNow, std::string_view currentBuild, const std::optional<std::string>& lastGrantedBuild)
{
    return trustedNow && (!lastGrantedBuild || *lastGrantedBuild != currentBuild);
}

} // namespace quorvane::AccessibilityGrant
