#include "QuorvaneNet/QuietSession.h"

#include "Support/QuorvaneVersion.h"
#include "Support/UnicodeText.h"
#include "WebApps/SiteIcons.h"
#include "WebApps/URLComponents.h"

#include <algorithm>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace quorvane {

namespace {

using Clock = std::chrono::steady_clock;

// Less time than this left is no time for an exchange; the library's own timeout also ends up to a
// millisecond or two early.
constexpr std::chrono::milliseconds shortestExchange { 10 };

struct Sink {
    std::string body;
    size_t cap = 0;
};

size_t collect(char* data, size_t size, size_t count, void* context)
{
    auto* sink = static_cast<Sink*>(context);
    size_t length = size * count;
    // Answering with a short count makes the library abort the transfer.
    if (length > sink->cap - sink->body.size())
        return 0;
    sink->body.append(data, length);
    return length;
}

bool isWebAddress(std::string_view url)
{
    std::optional<URLComponents> components = URLComponents::parse(url);
    return components && components->hasWebScheme();
}

void initializeLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

} // namespace

std::string QuietSession::userAgent()
{
    return std::string("Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/605.1.15 (KHTML, like Gecko) Quorvane/")
        + QuorvaneVersion::current;
}

QuietSession::QuietSession()
    : QuietSession(Limits {})
{
}

QuietSession::QuietSession(Limits limits)
    : m_limits(limits)
{
}

std::optional<std::string> QuietSession::bytes(std::string_view url, size_t cap) const
{
    std::optional<Result> result = received(url, cap, deadlineFromNow());
    if (!result)
        return std::nullopt;
    return std::move(result->body);
}

QuietSession::Result QuietSession::fetch(
    std::string_view url, size_t cap, const std::string& userAgent, std::stop_token stop) const
{
    return exchange(url, cap, userAgent, deadlineFromNow(), std::move(stop));
}

Clock::time_point QuietSession::deadlineFromNow() const
{
    return Clock::now() + m_limits.timeLimit;
}

std::optional<QuietSession::Result> QuietSession::received(
    std::string_view url, size_t cap, Clock::time_point deadline) const
{
    Result result = exchange(url, cap, userAgent(), deadline, {});
    if (result.outcome != Outcome::received || result.body.empty())
        return std::nullopt;
    return result;
}

QuietSession::Result QuietSession::exchange(std::string_view url, size_t cap, const std::string& userAgent,
    Clock::time_point deadline, std::stop_token stop) const
{
    Result result;
    if (!isWebAddress(url)) {
        result.outcome = Outcome::notWebAddress;
        return result;
    }
    auto timeLimit = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (timeLimit < shortestExchange) {
        result.outcome = Outcome::timedOut;
        return result;
    }
    initializeLibrary();
    // A fresh handle per exchange, without the cookie engine: nothing is kept from one exchange to the next.
    std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiCleanup> multi(curl_multi_init());
    if (!easy || !multi)
        return result;
    std::string address(url);
    Sink sink { {}, cap };
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeLimit.count()));
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(cap));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    if (curl_multi_add_handle(multi.get(), handle) != CURLM_OK)
        return result;
    // A stop wakes the wait below at once; the loop then sees it.
    std::stop_callback wake(stop, [&multi] { curl_multi_wakeup(multi.get()); });

    Clock::time_point givenUp = deadline + m_limits.grace;
    int running = 1;
    bool finished = false;
    bool stopped = false;
    while (true) {
        if (stop.stop_requested()) {
            stopped = true;
            break;
        }
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (!running) {
            finished = true;
            break;
        }
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(givenUp - Clock::now());
        if (remaining.count() <= 0)
            break;
        int wait = static_cast<int>(std::min<long long>(remaining.count(), 1000));
        if (curl_multi_poll(multi.get(), nullptr, 0, wait, nullptr) != CURLM_OK)
            break;
    }
    CURLcode code = CURLE_OK;
    int pending = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &pending)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == handle)
            code = message->data.result;
    }
    curl_multi_remove_handle(multi.get(), handle);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    if (stopped) {
        result.outcome = Outcome::stopped;
        return result;
    }
    if (!finished) {
        // Still running at the end of the grace period: the library's own timeout did not end it.
        result.outcome = Clock::now() >= givenUp ? Outcome::timedOut : Outcome::failed;
        return result;
    }
    switch (code) {
    case CURLE_OK:
        break;
    case CURLE_OPERATION_TIMEDOUT:
        result.outcome = Outcome::timedOut;
        return result;
    // A declared length over the cap, or a body that grew past it (the sink refused it).
    case CURLE_FILESIZE_EXCEEDED:
    case CURLE_WRITE_ERROR:
        result.outcome = Outcome::tooLarge;
        return result;
    // The first address was checked before sending: a protocol refused now is one a redirect named.
    case CURLE_UNSUPPORTED_PROTOCOL:
        result.outcome = Outcome::redirectedAway;
        return result;
    case CURLE_TOO_MANY_REDIRECTS:
        result.outcome = Outcome::tooManyRedirects;
        return result;
    default:
        return result;
    }
    if (result.status < 200 || result.status > 299) {
        result.outcome = Outcome::httpError;
        return result;
    }
    char* effective = nullptr;
    curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective);
    result.outcome = Outcome::received;
    result.body = std::move(sink.body);
    result.url = effective ? std::string(effective) : address;
    return result;
}

std::optional<std::string> QuietSession::iconData(std::string_view pageURL) const
{
    Clock::time_point deadline = deadlineFromNow();
    std::optional<Result> page = received(pageURL, m_limits.pageCap, deadline);
    if (!page || !UnicodeText::isValidUTF8(page->body))
        return std::nullopt;
    // Relative links resolve against the address the page really came from, after redirects.
    std::vector<IconCandidate> candidates = SiteIcons::iconCandidates(page->body, page->url);
    auto manifest = std::find_if(candidates.begin(), candidates.end(),
        [](const IconCandidate& candidate) { return candidate.rel == "manifest"; });
    if (manifest != candidates.end()) {
        std::string manifestURL = manifest->url;
        std::optional<Result> text = received(manifestURL, m_limits.pageCap, deadline);
        if (text && UnicodeText::isValidUTF8(text->body)) {
            std::vector<IconCandidate> icons = SiteIcons::manifestIconCandidates(text->body, text->url);
            candidates.insert(candidates.end(), icons.begin(), icons.end());
        }
    }
    std::optional<std::string> best = SiteIcons::bestIconURL(candidates);
    if (!best)
        return std::nullopt;
    std::optional<Result> icon = received(*best, m_limits.iconCap, deadline);
    if (!icon)
        return std::nullopt;
    return std::move(icon->body);
}

} // namespace quorvane
