#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace quorvane {

// Fetches site pages, icons and the release feed without cookies or caches and with hard limits on time,
// size, redirects and protocols, so that a slow or hostile site costs a few seconds at most and never floods
// memory. Calls block the calling thread.
class QuietSession {
public:
    // How one fetch ended.
    enum class Outcome {
        // A 2xx answer, its body within the cap.
        received,
        // The address is not an http or https one; nothing was sent.
        notWebAddress,
        // No answer: the host is unknown or refuses, or the connection or TLS broke.
        failed,
        // A redirect led elsewhere than http or https; it was not followed.
        redirectedAway,
        // More redirects than the limit allows.
        tooManyRedirects,
        // The time limit ran out first.
        timedOut,
        // The server answered with a status outside 2xx.
        httpError,
        // The body is longer than the cap.
        tooLarge,
        // The caller asked it to stop.
        stopped,
    };
    struct Result {
        Outcome outcome = Outcome::failed;
        // The HTTP status of the last answer, 0 when none came.
        long status = 0;
        // The body of a received answer.
        std::string body;
        // The address the body came from, after redirects.
        std::string url;
    };

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

    // One GET of the http or https `url` with the session's time limit, sending `userAgent` and no cookie, and
    // taking at most `cap` bytes of body. `stop` ends it early.
    Result fetch(std::string_view url, size_t cap, const std::string& userAgent, std::stop_token stop = {}) const;

    // The bytes of the best icon that the page at `pageURL` (or its manifest) declares. The page, the manifest
    // and the icon share one time limit.
    std::optional<std::string> iconData(std::string_view pageURL) const;

private:
    // One GET that ends by `deadline` (plus grace); timed out at once when no time is left.
    Result exchange(std::string_view url, size_t cap, const std::string& userAgent,
        std::chrono::steady_clock::time_point deadline, std::stop_token stop) const;
    // A received answer with a body, as the page and icon fetches take it.
    std::optional<Result> received(
        std::string_view url, size_t cap, std::chrono::steady_clock::time_point deadline) const;
    std::chrono::steady_clock::time_point deadlineFromNow() const;

    Limits m_limits;
};

} // namespace quorvane
