#include "QuorvaneApp/WebApps/WebAppEdits.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Config/ConfigLifecycle.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/WebApps/WebHostRefresh.h"
#include "Support/QuorvaneError.h"
#include "WebApps/WebAppName.h"

#include <algorithm>

namespace quorvane {

WebAppEdits::WebAppEdits(
    ConfigLifecycle& configuration, BannerSink& banner, WebHostRefresh& webHosts, std::string appsDirectory)
    : m_configuration(configuration)
    , m_banner(banner)
    , m_webHosts(webHosts)
    , m_appsDirectory(std::move(appsDirectory))
{
}

std::optional<std::string> WebAppEdits::save(const std::string& oldName, const WebAppRecord& record)
{
    std::optional<std::string> refused;
    std::optional<std::string> failure = m_configuration.persist([&](ConfigFile& file) {
        const std::vector<WebAppRecord>& apps = file.decoded()->apps;
        if (std::none_of(apps.begin(), apps.end(), [&](const WebAppRecord& app) { return app.slug == record.slug; })) {
            refused = "No web app named " + oldName + ".";
            return false;
        }
        try {
            WebAppName::requireAvailable(
                record.spec.name, WebAppName::maximumLength(m_appsDirectory), apps, record.slug);
        } catch (const QuorvaneError& error) {
            refused = error.message();
            return false;
        }
        file.upsertApp(record);
        return true;
    });
    if (refused || failure)
        return refused ? refused : failure;
    m_banner.setBanner("Saved " + record.spec.name + ".", true);
    m_webHosts.refreshWebBundle(oldName, record);
    return std::nullopt;
}

} // namespace quorvane
