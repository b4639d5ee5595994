#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// Fetches site pages and icons without cookies or caches and with hard limits on time and size, so that a
// slow or hostile site costs a few seconds at most and never floods memory. Calls block the calling thread.
class QuietSession {
public:
    struct Limits {
        // The whole exchange, redirects included.
        std::chrono::milliseconds timeLimit { 8000 };
        // How long the caller waits beyond `timeLimit` before giving up on an exchange that will not end.
        std::chrono::milliseconds grace { 2000 };
        // Pages and manifests longer than this are dropped.
        size_t pageCap = 2 * 1024 * 1024;
        // Icons longer than this are dropped.
        size_t iconCap = 5 * 1024 * 1024;
    };

    // The User-Agent every request of the application sends.
    static std::string userAgent();

    QuietSession();
    explicit QuietSession(Limits);

    // The non-empty body of a successful (2xx) GET of the http or https `url` that is at most `cap` bytes long.
    std::optional<std::string> bytes(std::string_view url, size_t cap) const;
    // As above, capped at the icon limit.
    std::optional<std::string> bytes(std::string_view url) const { return bytes(url, m_limits.iconCap); }

    // The bytes of the best icon that the page at `pageURL` (or its manifest) declares. The page, the manifest
    // and the icon share one time limit.
    std::optional<std::string> iconData(std::string_view pageURL) const;

private:
    struct Response {
        std::string body;
        // The address the body came from, after redirects.
        std::string url;
    };
    // One GET that ends by `deadline` (plus grace); nothing on any failure or when no time is left.
    std::optional<Response> exchange(
        std::string_view url, size_t cap, std::chrono::steady_clock::time_point deadline) const;
    std::chrono::steady_clock::time_point deadlineFromNow() const;

    Limits m_limits;
};

} // namespace quorvane
