#include "Updates/UpdateFeed.h"

#include "Support/QuorvaneVersion.h"
#include "Updates/ReleaseVersion.h"
#include "Updates/UpdateFeedAddress.h"
#include "WebApps/URLComponents.h"
#include "JSON/JSONValue.h"

namespace quorvane::UpdateFeed {

namespace {

const std::string* textMember(const JSONValue::Object& object, const std::string& name)
{
    auto member = object.find(name);
    return member == object.end() ? nullptr : member->second.stringValue();
}

// An absolute http or https address with a host: anything else is not handed to the desktop to open.
bool isWebAddress(const std::string& text)
{
    std::optional<URLComponents> components = URLComponents::parse(text);
    return components && components->hasWebScheme() && components->host && !components->host->empty();
}

} // namespace

std::optional<std::string> address(std::optional<std::string_view> environmentValue)
{
    std::string chosen(environmentValue.value_or(UpdateFeedAddress::builtIn));
    if (chosen.empty())
        return std::nullopt;
    return chosen;
}

bool isValid(const UpdateRelease& release)
{
    return ReleaseVersion::parse(release.version) && isWebAddress(release.url);
}

std::string userAgent()
{
    return std::string("Quorvane/") + QuorvaneVersion::current;
}

UpdateCheckResult judge(std::string_view text, std::string_view currentVersion)
{
    using Status = UpdateCheckResult::Status;
    JSONValue feed;
    try {
        feed = JSONValue::parse(text);
    } catch (const JSONError&) {
        return UpdateCheckResult::failure("The update feed is not JSON.");
    }
    const JSONValue::Object* object = feed.objectValue();
    const std::string* version = object ? textMember(*object, "version") : nullptr;
    if (!version)
        return UpdateCheckResult::failure("The update feed names no version.");
    // The feed's words are not repeated to the user: they may be anything.
    if (!ReleaseVersion::parse(*version))
        return UpdateCheckResult::failure("The update feed's version is not a release number such as 1.2.0.");
    const std::string* url = textMember(*object, "url");
    if (!url || !isWebAddress(*url))
        return UpdateCheckResult::failure("The update feed gives no http or https address for its release.");
    if (!ReleaseVersion::parse(currentVersion))
        return UpdateCheckResult::failure("This build's version is not a release number, so it cannot be compared.");
    if (!ReleaseVersion::isNewer(*version, currentVersion))
        return { Status::upToDate, std::nullopt, "" };
    return { Status::available, UpdateRelease { *version, *url }, "" };
}

} // namespace quorvane::UpdateFeed
