#include "QuorvaneApp/WebApps/WebAppLocations.h"

#include "Configuration/QuorvaneConfig.h"
#include "Configuration/QuorvanePaths.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "WebApps/DesktopEntryWriter.h"
#include "WebApps/DesktopIdentifier.h"
#include "WebApps/WebAppName.h"
#include "WebApps/WebBundleWriter.h"

#include <algorithm>
#include <filesystem>

namespace quorvane::WebAppLocations {

namespace fs = std::filesystem;

namespace {

bool isFile(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(fs::status(path, error));
}

} // namespace

const WebAppRecord* webApp(const QuorvaneConfig& config, const std::string& bundleIdentifier)
{
    auto found = std::find_if(config.apps.begin(), config.apps.end(),
        [&](const WebAppRecord& app) { return app.spec.bundleIdentifier == bundleIdentifier; });
    return found == config.apps.end() ? nullptr : &*found;
}

std::optional<std::string> bundlePath(const QuorvanePaths& paths, const WebAppRecord& record)
{
    if (!WebAppName::isSafe(record.spec.name))
        return std::nullopt;
    return WebAppName::bundlePath(paths.appsDirectory(), record.spec.name);
}

std::optional<std::string> launchLocation(
    const QuorvanePaths& paths, const QuorvaneConfig& config, const std::string& bundleIdentifier)
{
    const WebAppRecord* record = webApp(config, bundleIdentifier);
    std::optional<std::string> bundle = record ? bundlePath(paths, *record) : std::nullopt;
    std::error_code error;
    if (!bundle || !fs::is_directory(fs::status(*bundle, error)))
        return std::nullopt;
    // The entry starts the host under the web app's own name, icon and window class.
    std::string entry = DesktopEntryWriter(paths).entryPath(bundleIdentifier);
    if (isFile(entry))
        return entry;
    std::string host = webHostExecutable(*bundle);
    if (isFile(host))
        return host;
    return std::nullopt;
}

bool isInstance(const RunningApplication& application, const std::string& bundleIdentifier)
{
    return application.bundleIdentifier == bundleIdentifier
        || application.bundleIdentifier == desktopIdentifier(bundleIdentifier);
}

std::string bundleIdentifierOf(const QuorvaneConfig& config, const std::string& desktopName)
{
    for (const WebAppRecord& app : config.apps) {
        if (app.spec.bundleIdentifier != desktopName && desktopIdentifier(app.spec.bundleIdentifier) == desktopName)
            return app.spec.bundleIdentifier;
    }
    return desktopName;
}

} // namespace quorvane::WebAppLocations
