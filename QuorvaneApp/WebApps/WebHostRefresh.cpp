#include "QuorvaneApp/WebApps/WebHostRefresh.h"

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Platform/Applications.h"
#include "QuorvaneApp/WebApps/WebAppLocations.h"
#include "QuorvaneNet/HostDigest.h"
#include "Support/QuorvaneError.h"
#include "WebApps/DesktopEntryWriter.h"
#include "WebApps/WebAppBundlePlan.h"
#include "WebApps/WebAppName.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quorvane {

namespace fs = std::filesystem;

namespace {

const std::string movedNotBanner = "Quorvane saved the app. The Dock icon is still named ";
const std::string detailsNotBanner = "Quorvane saved the app. Its Dock icon still has the previous address.";

bool exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// A bundle is a real folder: a link in the web-apps folder is someone else's and is never written through.
bool isBundle(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

} // namespace

WebHostRefresh::WebHostRefresh(Applications& applications, QuorvanePaths paths, std::optional<std::string> shippedHost,
    BannerSink banner, WebBundleWriter writer)
    : m_applications(applications)
    , m_paths(std::move(paths))
    , m_shippedHost(std::move(shippedHost))
    , m_banner(std::move(banner))
    , m_writer(std::move(writer))
{
}

WebHostRefresh::~WebHostRefresh()
{
    if (m_watchingQuits)
        m_applications.setQuitHandler(nullptr);
}

std::vector<InstalledWebHost> WebHostRefresh::installedWebHosts(const QuorvaneConfig& config) const
{
    std::map<std::string, std::string> found;
    auto add = [&](const std::string& bundle, bool needsHost) {
        if (found.contains(bundle) || !isBundle(bundle))
            return;
        if (needsHost && !exists(webHostExecutable(bundle)))
            return;
        if (std::optional<std::string> identifier = WebBundleWriter::bundleIdentifier(bundle))
            found.emplace(bundle, *identifier);
    };

    std::string folder = m_paths.appsDirectory();
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (name.ends_with(".app") && WebAppName::isSafe(name))
            add(entry->path().string(), true);
    }
    // A configured web app's bundle counts without a host too: one made while no host was shipped would
    // otherwise never get one and never open.
    for (const WebAppRecord& record : config.apps) {
        if (std::optional<std::string> bundle = WebAppLocations::bundlePath(m_paths, record))
            add(*bundle, false);
    }

    std::vector<InstalledWebHost> hosts;
    for (auto& [bundlePath, identifier] : found)
        hosts.push_back(InstalledWebHost { bundlePath, identifier });
    return hosts;
}

void WebHostRefresh::refreshStaleWebHosts(const QuorvaneConfig& config)
{
    std::optional<std::string> current = m_shippedHost ? digest(*m_shippedHost) : std::nullopt;
    if (!current)
        return;
    std::vector<RunningApplication> running = m_applications.running();
    for (const InstalledWebHost& host : installedWebHosts(config)) {
        switch (hostRefresh(
            digest(webHostExecutable(host.bundlePath)), *current, isRunning(running, host.bundleIdentifier))) {
        case HostRefresh::current:
            break;
        case HostRefresh::refresh:
            refreshHost(host);
            break;
        case HostRefresh::waitUntilQuit:
            m_pending[host.bundleIdentifier] = host.bundlePath;
            break;
        }
    }
    watchQuitsWhileWaiting();
}

void WebHostRefresh::applicationQuit(const RunningApplication& application)
{
    auto waiting = std::find_if(m_pending.begin(), m_pending.end(),
        [&](const auto& entry) { return WebAppLocations::isInstance(application, entry.first); });
    // A platform may still list the quitting process while it reports the quit.
    if (waiting == m_pending.end() || isRunning(m_applications.running(), waiting->first, application.pid))
        return;
    InstalledWebHost host { waiting->second, waiting->first };
    m_pending.erase(waiting);
    watchQuitsWhileWaiting();
    std::optional<std::string> current = m_shippedHost ? digest(*m_shippedHost) : std::nullopt;
    if (current && digest(webHostExecutable(host.bundlePath)) != current)
        refreshHost(host);
}

void WebHostRefresh::refreshWebBundle(const std::string& oldName, const WebAppRecord& saved)
{
    std::optional<std::string> newPath = WebAppLocations::bundlePath(m_paths, saved);
    if (!newPath)
        return;
    std::string path = *newPath;
    if (oldName != saved.spec.name && WebAppName::isSafe(oldName)) {
        std::string oldPath = WebAppName::bundlePath(m_paths.appsDirectory(), oldName);
        if (isBundle(oldPath) && !exists(*newPath)) {
            std::error_code error;
            fs::rename(oldPath, *newPath, error);
            if (error) {
                m_banner(movedNotBanner + oldName + ".");
                path = oldPath;
            }
        }
    }
    if (!isBundle(path))
        return;
    try {
        WebAppBundlePlan plan = WebAppBundlePlan::forRecord(saved, m_paths.appsDirectory());
        m_writer.refreshDetails(path, plan);
        // The launcher shows the new name too. A bundle that kept its old name keeps the entry that starts it.
        if (path == plan.bundlePath) {
            DesktopEntryWriter(m_paths).install(plan, WebBundleWriter::icon(path));
        }
    } catch (const QuorvaneError&) {
        m_banner(detailsNotBanner);
    } catch (const std::system_error&) {
        m_banner(detailsNotBanner);
    }
}

bool WebHostRefresh::isRunning(
    const std::vector<RunningApplication>& running, const std::string& bundleIdentifier, int32_t quittingPid)
{
    return std::any_of(running.begin(), running.end(), [&](const RunningApplication& application) {
        return application.pid != quittingPid && WebAppLocations::isInstance(application, bundleIdentifier);
    });
}

void WebHostRefresh::refreshHost(const InstalledWebHost& host)
{
    try {
        m_writer.refreshHost(host.bundlePath, *m_shippedHost, host.bundleIdentifier);
    } catch (const QuorvaneError&) {
        // A refused bundle path: the host stays as it was.
    } catch (const std::system_error&) {
        // The host stays as it was; the next start-up sweep tries again.
    }
}

// The watch lists the windows every second, so an idle application without a waiting host does not run it.
void WebHostRefresh::watchQuitsWhileWaiting()
{
    if (m_watchingQuits == !m_pending.empty())
        return;
    m_watchingQuits = !m_pending.empty();
    if (m_watchingQuits)
        m_applications.setQuitHandler([this](const RunningApplication& application) { applicationQuit(application); });
    else
        m_applications.setQuitHandler(nullptr);
}

} // namespace quorvane
