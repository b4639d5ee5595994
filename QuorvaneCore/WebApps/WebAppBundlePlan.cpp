#include "WebApps/WebAppBundlePlan.h"

#include "Configuration/QuorvaneConfig.h"
#include "Support/QuorvaneError.h"
#include "Support/QuorvaneVersion.h"
#include "Support/UnicodeText.h"
#include "WebApps/InternationalAddress.h"
#include "WebApps/StableIdentity.h"
#include "WebApps/URLComponents.h"
#include "WebApps/WebAppName.h"
#include "JSON/JSONValue.h"

namespace quorvane {

namespace {

std::string escapedXML(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string stringEntry(std::string_view key, std::string_view value)
{
    return "  <key>" + std::string(key) + "</key><string>" + std::string(value) + "</string>\n";
}

} // namespace

WebAppBundlePlan::WebAppBundlePlan(std::string name, std::string slug, std::string url, std::string bundleIdentifier,
    UUID dataStoreIdentifier, std::string_view folder)
    : name(std::move(name))
    , slug(std::move(slug))
    , url(std::move(url))
    , bundleIdentifier(std::move(bundleIdentifier))
    , dataStoreIdentifier(dataStoreIdentifier)
    , bundlePath(WebAppName::bundlePath(folder, this->name))
{
}

WebAppBundlePlan WebAppBundlePlan::forRecord(const WebAppRecord& record, std::string_view folder)
{
    const WebAppSpec& spec = record.spec;
    return WebAppBundlePlan(spec.name, record.slug, spec.url, spec.bundleIdentifier,
        StableIdentity::dataStoreIdentifier(spec.bundleIdentifier), folder);
}

std::string WebAppBundlePlan::infoPlist() const
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n"
                       "<dict>\n";
    text += stringEntry("CFBundleDevelopmentRegion", "en");
    text += stringEntry("CFBundleExecutable", escapedXML(executableName));
    text += stringEntry("CFBundleIconFile", "AppIcon");
    text += stringEntry("CFBundleIdentifier", escapedXML(bundleIdentifier));
    text += stringEntry("CFBundleInfoDictionaryVersion", "6.0");
    text += stringEntry("CFBundleName", escapedXML(name));
    text += stringEntry("CFBundleDisplayName", escapedXML(name));
    text += stringEntry("CFBundlePackageType", "APPL");
    text += stringEntry("CFBundleShortVersionString", QuorvaneVersion::current);
    text += stringEntry("CFBundleVersion", "1");
    text += stringEntry("LSMinimumSystemVersion", "14.0");
    text += "  <key>NSHighResolutionCapable</key><true/>\n";
    text += stringEntry("NSPrincipalClass", "NSApplication");
    text += stringEntry("QVSlug", escapedXML(slug));
    text += stringEntry("QVURL", escapedXML(url));
    text += stringEntry("QVDataStoreUUID", dataStoreIdentifier.uuidString());
    text += "</dict>\n</plist>";
    return text;
}

std::string WebAppBundlePlan::stubJSON() const
{
    return JSONValue(JSONValue::Object {
                         { "slug", slug },
                         { "url", url },
                         { "name", name },
                         { "bundleIdentifier", bundleIdentifier },
                         { "dataStoreIdentifier", dataStoreIdentifier.uuidString() },
                     })
        .canonicalString();
}

std::string validatedWebURL(std::string_view text)
{
    std::string trimmed = UnicodeText::trimmed(text);
    // An address copied from a browser may hold letters of any script; it is kept in the form the network takes.
    std::optional<std::string> ascii = InternationalAddress::ascii(trimmed);
    std::optional<URLComponents> components = ascii ? URLComponents::parse(*ascii) : std::nullopt;
    if (!components || !components->hasWebScheme() || !components->host)
        throw QuorvaneError::usage("\u201C" + std::string(text) + "\u201D needs to be an http or https address.");
    return *ascii;
}

std::string slugify(std::string_view text)
{
    std::string lowered = UnicodeText::lowercased(text);
    std::string slug;
    bool pendingSeparator = false;
    for (std::string_view cluster : UnicodeText::graphemeClusters(lowered)) {
        if (!UnicodeText::isLetterOrNumber(cluster)) {
            pendingSeparator = true;
            continue;
        }
        if (pendingSeparator && !slug.empty())
            slug += '-';
        pendingSeparator = false;
        slug += cluster;
    }
    return slug.empty() ? "app" : slug;
}

std::string bundleIdentifier(std::string_view slug)
{
    return "app.quorvane.web." + std::string(slug);
}

} // namespace quorvane
