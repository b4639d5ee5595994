#include "WebApps/NavigationPolicy.h"

#include "Resources/BundledResource.h"
#include "Support/RegularExpression.h"
#include "Support/UnicodeText.h"
#include "WebApps/URLComponents.h"

#include <algorithm>
#include <charconv>

namespace quorvane::NavigationPolicy {

namespace {

constexpr std::array<std::string_view, 4> oauthParameterNames
    = { "clientid", "redirecturi", "responsetype", "codechallenge" };

template <size_t N> bool isOneOf(std::string_view text, const std::array<std::string_view, N>& set)
{
    return std::find(set.begin(), set.end(), text) != set.end();
}

std::string normalizedHost(std::string_view host)
{
    std::string lowered = UnicodeText::lowercased(host);
    if (lowered.starts_with("www."))
        lowered.erase(0, 4);
    return lowered;
}

std::optional<std::string> lowercasedScheme(const URLComponents& components)
{
    if (!components.scheme)
        return std::nullopt;
    return UnicodeText::lowercased(*components.scheme);
}

std::optional<int64_t> decimal(std::string_view text)
{
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

LinkDecision decideLink(
    std::string_view app, std::string_view rawTarget, bool newWindow, bool mainFrame, LinkActivation activation)
{
    std::string target = UnicodeText::trimmed(rawTarget);
    if (newWindow && isBlankNavigation(target))
        return LinkDecision::deferPopup;
    std::optional<URLComponents> components = URLComponents::parse(target);
    std::optional<std::string> scheme = components ? lowercasedScheme(*components) : std::nullopt;
    if (!scheme)
        return LinkDecision::loadInPlace;
    if (isOneOf(*scheme, webViewSchemes))
        return newWindow ? LinkDecision::openPopup : LinkDecision::loadInPlace;
    // A page script or redirect must never get a local file opened by another application.
    if (*scheme == "file" && activation != LinkActivation::userLink)
        return LinkDecision::loadInPlace;
    if (!components->hasWebScheme())
        return LinkDecision::openExternally;
    if (!mainFrame)
        return LinkDecision::loadInPlace;
    if (newWindow)
        return LinkDecision::openPopup;
    if (isAuthNavigation(target) || activation == LinkActivation::scriptOrRedirect)
        return LinkDecision::loadInPlace;
    return isOffSite(app, target) ? LinkDecision::openExternally : LinkDecision::loadInPlace;
}

PopupFollowUp decidePopupNavigation(std::string_view, std::string_view rawTarget)
{
    std::string target = UnicodeText::trimmed(rawTarget);
    if (isBlankNavigation(target))
        return PopupFollowUp::waiting;
    std::optional<URLComponents> components = URLComponents::parse(target);
    std::optional<std::string> scheme = components ? lowercasedScheme(*components) : std::nullopt;
    // A pop-up that a script points at a local file waits instead of handing the file to another application.
    if (!scheme || *scheme == "about" || *scheme == "file")
        return PopupFollowUp::waiting;
    if (isOneOf(*scheme, webViewSchemes) || components->hasWebScheme())
        return PopupFollowUp::keep;
    return PopupFollowUp::openExternally;
}

bool isBlankNavigation(std::string_view text)
{
    if (text.empty())
        return true;
    std::string lowered = UnicodeText::lowercased(text);
    return lowered == "about:blank" || lowered == "about:blank/" || lowered.starts_with("about:blank?")
        || lowered.starts_with("about:blank#");
}

bool isAuthNavigation(std::string_view text)
{
    std::optional<URLComponents> components = URLComponents::parse(UnicodeText::trimmed(text));
    if (!components || !components->host)
        return false;
    std::string host = normalizedHost(*components->host);
    if (isOneOf(host, authHosts))
        return true;
    std::string path = UnicodeText::lowercased(components->path);
    if (host == codeHostDomain || host.ends_with("." + std::string(codeHostDomain))) {
        if (path == "/login" || path.starts_with("/login/") || path == "/sessions" || path.starts_with("/sessions/"))
            return true;
    }
    if (path.find("/oauth") != std::string::npos || path.find("/authorize") != std::string::npos)
        return true;
    std::vector<std::pair<std::string, std::string>> items = components->queryItems();
    return std::any_of(items.begin(), items.end(), [](const auto& item) {
        std::string name = UnicodeText::lowercased(item.first);
        std::erase(name, '_');
        return isOneOf(name, oauthParameterNames);
    });
}

bool isOffSite(std::string_view app, std::string_view target)
{
    std::optional<URLComponents> appComponents = URLComponents::parse(app);
    std::optional<URLComponents> targetComponents = URLComponents::parse(target);
    if (!appComponents || !appComponents->host || !targetComponents || !targetComponents->host)
        return false;
    return normalizedHost(*appComponents->host) != normalizedHost(*targetComponents->host);
}

bool shouldOfferToSystem(std::string_view url, const std::function<bool(std::string_view)>& hasHandler)
{
    std::optional<URLComponents> components = URLComponents::parse(url);
    std::optional<std::string> scheme = components ? lowercasedScheme(*components) : std::nullopt;
    if (!scheme || scheme->empty() || isOneOf(*scheme, webViewSchemes) || *scheme == "file")
        return false;
    return hasHandler(url);
}

std::optional<int64_t> badgeCount(std::string_view title)
{
    static const std::optional<RegularExpression> patterns[]
        = { RegularExpression::make("^\\((\\d+)\\)"), RegularExpression::make("\\((\\d+)\\)\\s*$") };
    for (const std::optional<RegularExpression>& pattern : patterns) {
        if (std::optional<RegularExpression::Match> match = pattern ? pattern->firstMatch(title) : std::nullopt)
            return decimal(match->groups[0].value_or(""));
    }
    return std::nullopt;
}

std::string safeDownloadName(std::string_view name)
{
    std::string trimmed = UnicodeText::trimmed(name);
    if (trimmed.empty())
        return "download";
    std::u32string scalars = UnicodeText::scalars(trimmed);
    for (char32_t& scalar : scalars) {
        bool lineBreak = (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 || scalar == 0x2029;
        if (scalar == U'/' || scalar == U':' || lineBreak)
            scalar = U'-';
    }
    std::string safe = UnicodeText::utf8(scalars);
    return safe == "." || safe == ".." ? "download" : safe;
}

std::string passwordAutofillPreparationScript()
{
    return std::string(BundledResource::data("PasswordAutofill.js").value_or(""));
}

} // namespace quorvane::NavigationPolicy
