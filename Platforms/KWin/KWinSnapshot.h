#pragma once

#include "Platforms/KWin/KWinReport.h"
#include "QuorvaneApp/Platform/DisplayFacts.h"
#include "QuorvaneApp/Platform/WindowFacts.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// KWin's windows and screens as its script last reported them, so that reading them costs no round trip.
// Reports are applied on the main thread; reads may come from any thread.
class KWinSnapshot {
public:
    // The application id of a reported window, as the rest of the application knows applications.
    using ApplicationOf = std::function<std::string(const KWinWindowReport&)>;

    // Windows of process `ownPid` are this application's own.
    explicit KWinSnapshot(int32_t ownPid);

    // Takes in one report. Answers whether what the census sees may have changed: a window came or went, got
    // its title, changed its kind, application, desktop or state, or the screens changed.
    bool apply(const KWinReport&, const ApplicationOf&);
    // Whether a complete listing has arrived. A later one (from a script loaded again) keeps the handles of
    // the windows it lists again.
    bool complete() const;

    // The windows on the current virtual desktop, front to back.
    std::vector<WindowFacts> windows() const;
    // The active window, when it is one of the listed windows.
    std::optional<WindowFacts> active() const;
    // The screens in KWin's order; the first is the main one.
    std::vector<DisplayFacts> displays() const;
    std::optional<Frame> frame(WindowHandle) const;
    // KWin's id of the window, which the script's commands name; none once the window has gone.
    std::optional<std::string> kwinId(WindowHandle) const;
    // Names of the screens by position, for reports that do not name them.
    void setScreenNames(std::vector<std::string> names);

    // The id the rest of the application knows a window by: "kwin:" and KWin's id without braces.
    static std::string windowId(const std::string& kwinId);

private:
    struct Entry {
        KWinWindowReport report;
        std::string application;
        WindowHandle handle;
    };

    WindowFacts factsOf(const Entry&) const;
    // Whether two states of a window look different to the census.
    static bool differsForCensus(const Entry& before, const Entry& after);

    int32_t m_ownPid;
    mutable std::mutex m_mutex;
    std::map<std::string, Entry> m_windows;
    std::map<WindowHandle, std::string> m_ids;
    std::string m_active;
    std::vector<KWinScreenReport> m_screens;
    std::vector<std::string> m_screenNames;
    uint64_t m_nextHandle = 1;
    bool m_complete = false;
};

} // namespace quorvane
