#pragma once

#include "Configuration/QuorvanePaths.h"

#include <optional>
#include <string>

namespace quorvane {

class Applications;
class ConfigSource;

// Where an application is installed, for whatever launches one (tiling's snap, app hotkeys): the desktop's
// own answer, else a configured web app's bundle on disk. Main thread only.
class ApplicationLocator {
public:
    ApplicationLocator(Applications&, const ConfigSource&, QuorvanePaths);

    // What the desktop opens to launch the application with this bundle identifier; none when it is nowhere.
    std::optional<std::string> url(const std::string& bundleIdentifier) const;

private:
    Applications& m_applications;
    const ConfigSource& m_config;
    QuorvanePaths m_paths;
};

} // namespace quorvane
