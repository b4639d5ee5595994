#pragma once

#include "Configuration/QuorvaneConfig.h"
#include "QuorvaneApp/State/ConfigSource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quorvane {

class BannerSink;
class ConfigFile;
class ConfigStore;
class ConfigWatch;
class FileWatcher;

// The config file's life in the running application: loaded at start, followed on disk, changed under the
// lock, text that does not parse kept aside before a save, and every failure told to the banner. What is in
// force is the last good configuration. Main thread only.
class ConfigLifecycle : public ConfigSource {
public:
    // `path` is the config file; `wallClock` gives seconds since 1970 for naming kept copies.
    ConfigLifecycle(std::string path, std::function<double()> wallClock, BannerSink&);
    ~ConfigLifecycle() override;
    ConfigLifecycle(const ConfigLifecycle&) = delete;
    ConfigLifecycle& operator=(const ConfigLifecycle&) = delete;

    // Start-up: reads the file, or writes the default one when there is none.
    void load();
    // Starts following the file on disk.
    void watch(FileWatcher&);
    // Takes in a change of the file on disk; a broken one leaves the last good copy in force.
    void reloadFromDisk();
    // Applies `edit` to the configuration in force under the config lock and saves the result when `edit`
    // answers true and the text changed. An edit that throws a QuorvaneError refuses the change and saves nothing.
    // Gives the sentence of a refused change or a failed save, which is also the banner.
    std::optional<std::string> persist(const std::function<bool(ConfigFile&)>& edit);
    // The sentence saying where the last `persist` kept text that did not parse, when it kept any.
    const std::optional<std::string>& keptByLastSave() const { return m_keptByLastSave; }
    // Why the file on disk is not the configuration in force (the reader's sentence), or none.
    std::optional<std::string> problemOnDisk() const;
    // `changed` runs whenever another configuration has come into force after start-up.
    void setOnChange(std::function<void()> changed) { m_changed = std::move(changed); }

    // The document in force.
    const ConfigFile& file() const;
    const QuorvaneConfig& config() const override { return m_config; }
    uint64_t generation() const override { return m_generation; }

private:
    // Brings `m_config` in line with the store's file; true when it changed.
    bool adopt();

    std::string m_path;
    BannerSink& m_banner;
    std::unique_ptr<ConfigStore> m_store;
    std::unique_ptr<ConfigWatch> m_watch;
    QuorvaneConfig m_config;
    // The text `m_config` was decoded from.
    std::string m_adoptedText;
    uint64_t m_generation = 0;
    std::function<void()> m_changed;
    std::optional<std::string> m_keptByLastSave;
};

} // namespace quorvane
