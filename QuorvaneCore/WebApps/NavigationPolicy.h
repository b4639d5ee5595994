#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// Where a navigation of a web app's window goes.
enum class LinkDecision { loadInPlace, openExternally, openPopup, deferPopup };

// What started a navigation: a click of the user, or a script or redirect.
enum class LinkActivation { userLink, scriptOrRedirect };

// What to do with a pop-up window's first real navigation.
enum class PopupFollowUp { waiting, keep, openExternally };

// The decisions the web host applies to every navigation, and its helpers for badges, downloads and autofill.
namespace NavigationPolicy {

// Schemes the page engine handles itself.
inline constexpr std::array<std::string_view, 5> webViewSchemes = { "about", "blob", "data", "javascript", "srcdoc" };

// Sign-in hosts of large identity providers: a sign-in flow that hops there stays inside the app.
inline constexpr std::array<std::string_view, 9> authHosts = {
    "accounts.google.com",
    "accounts.youtube.com",
    "appleid.apple.com",
    "account.apple.com",
    "idmsa.apple.com",
    "login.microsoftonline.com",
    "login.microsoft.com",
    "login.live.com",
    "account.live.com",
};

// A code-hosting service whose sign-in pages are ordinary paths of its main site.
inline constexpr std::string_view codeHostDomain = "github.com";

// The decision for a navigation of the app whose start address is `app` to `target`.
LinkDecision decideLink(
    std::string_view app, std::string_view target, bool newWindow, bool mainFrame, LinkActivation activation);

// The fate of a pop-up whose first navigation goes to `target`; `app` is not consulted.
PopupFollowUp decidePopupNavigation(std::string_view app, std::string_view target);

// True for the empty text and for about:blank with or without "/", a query or a fragment.
bool isBlankNavigation(std::string_view text);

// True for sign-in hosts, the code host's sign-in paths, OAuth paths and OAuth query parameters.
bool isAuthNavigation(std::string_view text);

// True when both addresses have hosts and the hosts differ (ignoring case and one leading "www.").
bool isOffSite(std::string_view app, std::string_view target);

// Whether to hand `url` to the system, given whether any installed application handles it.
// Page-engine schemes and local files are never offered.
bool shouldOfferToSystem(std::string_view url, const std::function<bool(std::string_view)>& hasHandler);

// The unread count a title shows as "(12) Inbox" or "Inbox (3)".
std::optional<int64_t> badgeCount(std::string_view title);

// A file name without path separators or line breaks; "download" when nothing usable remains.
std::string safeDownloadName(std::string_view name);

// A script, injected into every page, that marks sign-in fields for the system's password autofill.
std::string passwordAutofillPreparationScript();

} // namespace NavigationPolicy

} // namespace quorvane
