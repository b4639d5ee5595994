#include "QuorvaneApp/WebApps/WebAppEdits.h"

#include "Configuration/ConfigFile.h"
#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/Config/ConfigLifecycle.h"
#include "QuorvaneApp/State/Banner.h"
#include "QuorvaneApp/WebApps/WebHostRefresh.h"
#include "Support/QuorvaneError.h"
#include "WebApps/WebAppName.h"

namespace quorvane {

WebAppEdits::WebAppEdits(
    ConfigLifecycle& configuration, BannerSink& banner, WebHostRefresh& webHosts, std::string appsDirectory)
    : m_configuration(configuration)
    , m_banner(banner)
    , m_webHosts(webHosts)
    , m_appsDirectory(std::move(appsDirectory))
{
}

std::optional<std::string> WebAppEdits::save(const std::string& oldName, const WebAppRecord& edited)
{
    WebAppRecord saved;
    if (std::optional<std::string> failure = m_configuration.persist([&](ConfigFile& file) {
            std::shared_ptr<const QuorvaneConfig> fresh = file.decoded();
            const WebAppRecord* current = webAppWithSlug(*fresh, edited.slug);
            if (!current)
                throw QuorvaneError::notFound("No web app named " + oldName + ".");
            WebAppName::requireAvailable(
                edited.spec.name, WebAppName::maximumLength(m_appsDirectory), fresh->apps, edited.slug);
            // What the edit does not show (the chord, the style sheets, the icon) stays as the file has it.
            saved = *current;
            saved.spec.name = edited.spec.name;
            saved.spec.url = edited.spec.url;
            saved.spec.tile = edited.spec.tile;
            file.upsertApp(saved);
            return true;
        }))
        return failure;
    m_banner.setBanner("Saved " + saved.spec.name + ".", true);
    m_webHosts.refreshWebBundle(oldName, saved);
    return std::nullopt;
}

} // namespace quorvane
