#pragma once

#include "QuorvaneApp/Platform/MainLoop.h"
#include "QuorvaneApp/Platform/WeakSelf.h"
#include "QuorvaneNet/QuietSession.h"
#include "Updates/UpdateCheckResult.h"
#include "Updates/UpdateRelease.h"
#include "Updates/UpdateStamp.h"

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace quorvane {

class WorkerPool;

// Looks for a newer release in the release feed: once a day while daily checks are on, and at once when
// asked. The fetch and its reading run on a worker, never on the main thread; the time of each check and
// the release it found are kept in the stamp file, so a start within a day of a check does not check
// again. Main thread only.
class UpdateChecker {
public:
    struct Settings {
        // The feed's address.
        std::string feed;
        // Where the time of the last check is kept.
        std::string stampFile;
        // Those of every fetch of the application: time, size (the page cap), redirects, protocols.
        QuietSession::Limits limits;
        // Seconds since 1970.
        std::function<double()> wallClock;
    };
    using Answer = std::function<void(const UpdateCheckResult&)>;

    // How often a running application looks whether the day since the last check is over.
    static constexpr double pollInterval = 60 * 60;

    // Daily checks start off; the stamp's release, when newer than this build, is announced at once.
    UpdateChecker(MainLoop&, WorkerPool&, Settings);
    // A fetch under way is told to stop; its answer goes nowhere.
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    // Turns daily checks on or off. On, a check starts now unless the stamp is less than a day old, and the
    // poll timer starts; off, the timer stops at once (a check under way still finishes).
    void setEnabled(bool);
    // Checks now, whatever the stamp says; `answer` gets what it found on the main thread. While a check
    // is under way, `answer` waits for that one.
    void checkNow(Answer answer);

    bool enabled() const { return m_timer != 0; }
    bool checking() const { return m_checking; }
    // The newer release the last successful check (or the stamp) found.
    const std::optional<UpdateRelease>& available() const { return m_available; }
    // Called on the main thread whenever `checking` or `available` changes.
    void setOnChange(std::function<void()> changed) { m_changed = std::move(changed); }

private:
    void poll();
    void start();
    void finish(const UpdateCheckResult&);
    void changed();

    MainLoop& m_loop;
    WorkerPool& m_workers;
    Settings m_settings;
    TimerId m_timer = 0;
    bool m_checking = false;
    std::optional<UpdateStamp> m_stamp;
    std::optional<UpdateRelease> m_available;
    std::vector<Answer> m_answers;
    std::function<void()> m_changed;
    std::stop_source m_stop;
    WeakSelf<UpdateChecker> m_self { *this };
};

} // namespace quorvane
