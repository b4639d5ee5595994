#include "WebApps/WebAppName.h"

#include "Configuration/QuorvaneConfig.h"
#include "Support/QuorvaneError.h"
#include "Support/UnicodeText.h"
#include "WebApps/WebAppBundlePlan.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <unistd.h>

namespace quorvane::WebAppName {

namespace {

constexpr std::string_view bundleExtension = ".app";

// General category Cc: the C0 controls, DEL and the C1 controls.
bool isControl(char32_t scalar)
{
    return scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F);
}

} // namespace

bool isSafe(std::string_view name)
{
    if (name.empty() || name.front() == '.' || name.find('/') != std::string_view::npos)
        return false;
    std::u32string scalars = UnicodeText::scalars(name);
    return std::none_of(scalars.begin(), scalars.end(), isControl);
}

void requireSafe(std::string_view name)
{
    if (name.empty())
        throw QuorvaneError::usage("A web app needs a name.");
    if (!isSafe(name))
        throw QuorvaneError::usage("A web app name cannot contain / or a control character, or start with a dot.");
}

size_t maximumLength(std::string_view folder)
{
    // The folder may not exist yet: its nearest existing ancestor is on the same file system.
    std::filesystem::path existing(folder);
    std::error_code error;
    while (!existing.empty() && !std::filesystem::exists(existing, error) && existing != existing.parent_path())
        existing = existing.parent_path();
    long limit = ::pathconf(existing.empty() ? "." : existing.c_str(), _PC_NAME_MAX);
    if (limit <= 0)
        limit = NAME_MAX;
    return static_cast<size_t>(limit) - std::min(static_cast<size_t>(limit), bundleExtension.size());
}

void requireAvailable(
    std::string_view name, size_t longest, const std::vector<WebAppRecord>& apps, std::string_view renaming)
{
    requireSafe(name);
    if (name.size() > longest)
        throw QuorvaneError::usage("A web app name can be at most " + std::to_string(longest) + " bytes long.");
    // Two names that differ only in case or in Unicode form ("Café" precomposed or decomposed) would share one
    // bundle on a case- and normalisation-insensitive disk. A renamed app keeps its slug.
    std::string slug = renaming.empty() ? slugify(name) : std::string(renaming);
    for (const WebAppRecord& app : apps) {
        if (!renaming.empty() && app.slug == renaming)
            continue;
        if (app.slug == slug || UnicodeText::equalsIgnoringCaseAndNormalization(app.spec.name, name))
            throw QuorvaneError::conflict("An app named " + std::string(name) + " already exists.");
    }
}

std::string bundlePath(std::string_view folder, std::string_view name)
{
    requireSafe(name);
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    path += bundleExtension;
    return path;
}

void requireSafeBundlePath(std::string_view bundlePath)
{
    std::string_view rest = bundlePath;
    std::string_view last;
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        if (part == "." || part == "..")
            throw QuorvaneError::usage("A web app bundle path cannot step through . or .. folders.");
        if (!part.empty())
            last = part;
        rest = slash == std::string_view::npos ? std::string_view {} : rest.substr(slash + 1);
    }
    if (last.size() <= bundleExtension.size() || !last.ends_with(bundleExtension) || bundlePath.back() == '/')
        throw QuorvaneError::usage("A web app bundle path must end with the app's name and \".app\".");
    requireSafe(last.substr(0, last.size() - bundleExtension.size()));
}

} // namespace quorvane::WebAppName
