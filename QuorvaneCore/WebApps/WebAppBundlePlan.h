#pragma once

#include "Support/UUID.h"

#include <string>
#include <string_view>

namespace quorvane {

struct WebAppRecord;

// The file name of the web host executable inside every web-app bundle.
inline constexpr std::string_view executableName = "QuorvaneWebHost";

// Everything that describes one generated web-app bundle; rebuilt from its record whenever needed.
struct WebAppBundlePlan {
    std::string name;
    std::string slug;
    std::string url;
    std::string bundleIdentifier;
    UUID dataStoreIdentifier;
    // Fixed at construction: `folder` joined with `name` + ".app".
    std::string bundlePath;

    // Throws a usage error when `name` could name a path outside `folder` (see WebAppName).
    WebAppBundlePlan(std::string name, std::string slug, std::string url, std::string bundleIdentifier,
        UUID dataStoreIdentifier, std::string_view folder);

    // The plan of a configured web app whose bundle lives in `folder`.
    static WebAppBundlePlan forRecord(const WebAppRecord&, std::string_view folder);

    // The bundle's Contents/Info.plist, an XML property list without a final line break.
    std::string infoPlist() const;
    // The bundle's Contents/Resources/stub.json, in the compact JSON form.
    std::string stubJSON() const;

    friend bool operator==(const WebAppBundlePlan&, const WebAppBundlePlan&) = default;
};

// The trimmed `text` when it is an http or https address with a host, with any letters beyond ASCII in the
// form the network takes (InternationalAddress::ascii); otherwise a usage error.
std::string validatedWebURL(std::string_view text);

// Lower-case letters and numbers of `text`, runs of anything else as one "-" between them; "app" when empty.
std::string slugify(std::string_view text);

// "app.quorvane.web." + slug.
std::string bundleIdentifier(std::string_view slug);

} // namespace quorvane
