#pragma once

#include "Configuration/QuorvanePaths.h"
#include "WebApps/WebBundleWriter.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

class Applications;
struct QuorvaneConfig;
struct RunningApplication;
struct WebAppRecord;

// Keeps the web host inside every web-app bundle in step with the one shipped beside the application, and
// a bundle in step with its web app after an edit. A running web app keeps its host until its last instance
// quits; application quits are watched only while some host waits for one. Main thread only.
class WebHostRefresh {
public:
    // Shows a sentence in the status line.
    using BannerSink = std::function<void(const std::string&)>;

    // `shippedHost` is the host executable shipped with the application, when there is one.
    WebHostRefresh(Applications&, QuorvanePaths, std::optional<std::string> shippedHost, BannerSink,
        WebBundleWriter = WebBundleWriter());
    ~WebHostRefresh();
    WebHostRefresh(const WebHostRefresh&) = delete;
    WebHostRefresh& operator=(const WebHostRefresh&) = delete;

    // The bundles that carry a host or belong to a configured web app, with a readable bundle identifier, in
    // path order: those in the web-apps folder, then configured web apps' bundles elsewhere.
    std::vector<InstalledWebHost> installedWebHosts(const QuorvaneConfig&) const;
    // Replaces every out-of-date or missing host now, or once its web app has quit when it is running.
    // Nothing without a readable shipped host.
    void refreshStaleWebHosts(const QuorvaneConfig&);
    // An application quit: the host of a waiting web app is replaced once no instance of it is left.
    void applicationQuit(const RunningApplication&);
    // After an edit of a web app that was called `oldName` has been saved: renames its bundle to the new
    // name and rewrites its details and launcher entry. Failures become the banner.
    void refreshWebBundle(const std::string& oldName, const WebAppRecord& saved);

    // Bundle identifier to bundle path of the hosts waiting for their web app to quit.
    const std::map<std::string, std::string>& pendingHostRefreshes() const { return m_pending; }

private:
    // Whether an instance of the app other than `quittingPid` is among `running`.
    static bool isRunning(
        const std::vector<RunningApplication>& running, const std::string& bundleIdentifier, int32_t quittingPid = 0);
    void refreshHost(const InstalledWebHost&);
    // Starts or stops the platform's watch for quits as hosts wait or stop waiting.
    void watchQuitsWhileWaiting();

    Applications& m_applications;
    QuorvanePaths m_paths;
    std::optional<std::string> m_shippedHost;
    BannerSink m_banner;
    WebBundleWriter m_writer;
    std::map<std::string, std::string> m_pending;
    bool m_watchingQuits = false;
};

} // namespace quorvane
