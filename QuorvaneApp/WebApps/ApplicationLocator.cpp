#include "QuorvaneApp/WebApps/ApplicationLocator.h"

#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/State/ConfigSource.h"
#include "QuorvaneApp/WebApps/WebAppLocations.h"

namespace quorvane {

ApplicationLocator::ApplicationLocator(Applications& applications, const ConfigSource& config, QuorvanePaths paths)
    : m_applications(applications)
    , m_config(config)
    , m_paths(std::move(paths))
{
}

std::optional<std::string> ApplicationLocator::url(const std::string& bundleIdentifier) const
{
    if (std::optional<std::string> location = m_applications.locate(bundleIdentifier))
        return location;
    return WebAppLocations::launchLocation(m_paths, m_config.config(), bundleIdentifier);
}

} // namespace quorvane
