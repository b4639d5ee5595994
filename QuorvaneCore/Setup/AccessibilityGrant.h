#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The system ties the Accessibility permission to one build of the application; these decide when a
// new build has to ask for it again.
namespace AccessibilityGrant {

// The build string of the running application: its bundle version when present and non-empty, else
// the application version.
std::string currentBuild(const std::optional<std::string>& bundleVersion);

// Whether to reopen the onboarding at the Accessibility step: only after onboarding was completed,
// while not trusted, when the permission was last granted to no known build or to another build.
bool shouldAskAgain(bool onboardingComplete, bool trustedNow, std::string_view currentBuild,
    const std::optional<std::string>& lastGrantedBuild);

// Whether to record the current build as granted: when trusted and the record is missing or differs.
bool shouldRemember(bool trustedNow, std::string_view currentBuild, const std::optional<std::string>& lastGrantedBuild);

} // namespace AccessibilityGrant

} // namespace quorvane
