#include "QuorvaneApp/Config/ConfigLifecycle.h"

#include "QuorvaneApp/Config/ConfigStore.h"
#include "QuorvaneApp/Config/ConfigWatch.h"
#include "QuorvaneApp/State/Banner.h"
#include "Support/QuorvaneError.h"

#include <filesystem>

namespace quorvane {

namespace {

const std::string lastGoodBanner = "config.toml could not be read. The last good copy is still in use.";
const std::string defaultsBanner = "config.toml could not be read, so Quorvane runs on the default settings.";

} // namespace

ConfigLifecycle::ConfigLifecycle(std::string path, std::function<double()> wallClock, BannerSink& banner)
    : m_path(path)
    , m_banner(banner)
    , m_store(std::make_unique<ConfigStore>(std::move(path), std::move(wallClock)))
{
}

ConfigLifecycle::~ConfigLifecycle() = default;

const ConfigFile& ConfigLifecycle::file() const
{
    return m_store->file();
}

void ConfigLifecycle::load()
{
    ConfigStore::LoadOutcome outcome = m_store->load();
    adopt();
    if (outcome == ConfigStore::LoadOutcome::broken)
        m_banner.setBanner(defaultsBanner, false);
}

void ConfigLifecycle::watch(FileWatcher& watcher)
{
    if (!m_watch)
        m_watch = std::make_unique<ConfigWatch>(watcher, m_path, [this] { reloadFromDisk(); });
}

bool ConfigLifecycle::adopt()
{
    std::string text = m_store->file().text();
    if (m_generation > 0 && text == m_adoptedText)
        return false;
    m_adoptedText = std::move(text);
    // Decoded once per version of the document; the router's runs over the same file share it.
    m_config = *m_store->file().decoded();
    ++m_generation;
    return true;
}

void ConfigLifecycle::reloadFromDisk()
{
    switch (m_store->reload()) {
    case ConfigStore::ReloadOutcome::reloaded:
        if (adopt() && m_changed)
            m_changed();
        break;
    case ConfigStore::ReloadOutcome::broken:
        m_banner.setBanner(lastGoodBanner, false);
        break;
    case ConfigStore::ReloadOutcome::unchanged:
    case ConfigStore::ReloadOutcome::unreadable:
        break;
    }
}

std::optional<std::string> ConfigLifecycle::persist(const std::function<bool(ConfigFile&)>& edit)
{
    ConfigStore::SaveResult result;
    try {
        result = m_store->update(edit);
    } catch (const QuorvaneError& refusal) {
        // The file as read under the lock may still be newer than the one in force.
        result.failure = refusal.message();
    }
    if (adopt() && m_changed)
        m_changed();
    m_keptByLastSave.reset();
    if (result.keptBrokenAs) {
        std::string name = std::filesystem::path(*result.keptBrokenAs).filename().string();
        m_keptByLastSave = "The config.toml that could not be read was kept as " + name + ".";
        m_banner.setBanner(*m_keptByLastSave, false);
    }
    if (result.failure)
        m_banner.setBanner(*result.failure, false);
    return result.failure;
}

std::optional<std::string> ConfigLifecycle::problemOnDisk() const
{
    if (m_store->holdsBrokenText() || m_store->unreadable())
        return m_store->brokenReason();
    return std::nullopt;
}

} // namespace quorvane
