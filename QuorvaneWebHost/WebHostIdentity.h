#pragma once

#include "Configuration/QuorvaneConfig.h"
#include "Support/UUID.h"

#include <string>

namespace quorvane {

// Who a running web host is: the bundle it was started from and what that bundle's stub.json says.
struct WebHostIdentity {
    std::string bundlePath;
    std::string slug;
    std::string url;
    std::string name;
    std::string bundleIdentifier;
    UUID dataStoreIdentifier;

    // The bundle that holds `executable` (its Contents/MacOS/QuorvaneWebHost) and its stub.json; a missing,
    // unreadable or incomplete stub is a "failed" QuorvaneError naming the file.
    static WebHostIdentity forExecutable(const std::string& executable);
    // Reads the stub of the bundle at `bundlePath`, as above.
    static WebHostIdentity forBundle(const std::string& bundlePath);
};

// What the person configured for one web app under `[apps.<slug>]`, and the window chrome of all web apps;
// the defaults when there is nothing.
struct WebHostOptions {
    std::string userCSS;
    std::string userJS;
    bool standardUserAgent = true;
    // `window_style` of `[general]`, read at each start.
    WindowChrome chrome = WindowChrome::slim;

    // The options of `slug` in the config file at `configFile`. A missing, unreadable or broken file, or
    // no table for the slug, gives the defaults: the window opens whatever the config holds.
    static WebHostOptions forSlug(const std::string& configFile, const std::string& slug);
};

} // namespace quorvane
