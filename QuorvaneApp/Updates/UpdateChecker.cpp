#include "QuorvaneApp/Updates/UpdateChecker.h"

#include "QuorvaneApp/Platform/WorkerPool.h"
#include "Support/QuorvaneVersion.h"
#include "Updates/ReleaseVersion.h"
#include "Updates/UpdateFeed.h"

#include <system_error>

namespace quorvane {

namespace {

// What a fetch of the feed says: the feed's own judgement when it came, else why it did not.
UpdateCheckResult judged(const QuietSession::Result& fetched)
{
    using Outcome = QuietSession::Outcome;
    switch (fetched.outcome) {
    case Outcome::received:
        return UpdateFeed::judge(fetched.body, QuorvaneVersion::current);
    case Outcome::notWebAddress:
        return UpdateCheckResult::failure("The update feed's address is not an http or https address.");
    case Outcome::failed:
        return UpdateCheckResult::failure("The update server could not be reached.");
    case Outcome::redirectedAway:
        return UpdateCheckResult::failure("The update feed redirects to an address that is not http or https.");
    case Outcome::tooManyRedirects:
        return UpdateCheckResult::failure("The update feed redirects too many times.");
    case Outcome::timedOut:
        return UpdateCheckResult::failure("The update server did not answer in time.");
    case Outcome::httpError:
        return UpdateCheckResult::failure(
            "The update server answered with HTTP status " + std::to_string(fetched.status) + ".");
    case Outcome::tooLarge:
        return UpdateCheckResult::failure("The update feed is too large.");
    case Outcome::stopped:
        break;
    }
    return UpdateCheckResult::failure("The check was stopped.");
}

} // namespace

UpdateChecker::UpdateChecker(MainLoop& loop, WorkerPool& workers, Settings settings)
    : m_loop(loop)
    , m_workers(workers)
    , m_settings(std::move(settings))
    , m_stamp(UpdateStamp::load(m_settings.stampFile))
{
    // A release found before this build was installed is no news any more.
    if (m_stamp && m_stamp->release && ReleaseVersion::isNewer(m_stamp->release->version, QuorvaneVersion::current))
        m_available = m_stamp->release;
}

UpdateChecker::~UpdateChecker()
{
    m_stop.request_stop();
    if (m_timer)
        m_loop.cancelTimer(m_timer);
}

void UpdateChecker::setEnabled(bool enabled)
{
    if (enabled == this->enabled())
        return;
    if (!enabled) {
        m_loop.cancelTimer(m_timer);
        m_timer = 0;
        return;
    }
    m_timer = m_loop.addTimer(pollInterval, true, m_self.bind([](UpdateChecker& checker) { checker.poll(); }));
    poll();
}

void UpdateChecker::checkNow(Answer answer)
{
    m_answers.push_back(std::move(answer));
    if (!m_checking)
        start();
}

void UpdateChecker::poll()
{
    if (!m_checking && UpdateStamp::isDue(m_stamp, m_settings.wallClock()))
        start();
}

void UpdateChecker::start()
{
    m_checking = true;
    changed();
    auto done = m_self.bind([](UpdateChecker& checker, const UpdateCheckResult& result) { checker.finish(result); });
    m_workers.submit([feed = m_settings.feed, limits = m_settings.limits, stop = m_stop.get_token(), &loop = m_loop,
                         done = std::move(done)] {
        QuietSession::Result fetched = QuietSession(limits).fetch(feed, limits.pageCap, UpdateFeed::userAgent(), stop);
        loop.post([done, result = judged(fetched)] { done(result); });
    });
}

void UpdateChecker::finish(const UpdateCheckResult& result)
{
    m_checking = false;
    if (result.status == UpdateCheckResult::Status::available)
        m_available = result.release;
    else if (result.status == UpdateCheckResult::Status::upToDate)
        m_available.reset();
    // A failed check counts as a check too, so a broken feed is asked at most once a day.
    m_stamp = UpdateStamp { m_settings.wallClock(), m_available };
    try {
        m_stamp->save(m_settings.stampFile);
    } catch (const std::system_error&) {
        // The stamp in memory still spaces the checks of this run.
    }
    std::vector<Answer> answers = std::move(m_answers);
    m_answers.clear();
    for (const Answer& answer : answers)
        answer(result);
    changed();
}

void UpdateChecker::changed()
{
    if (m_changed)
        m_changed();
}

} // namespace quorvane
