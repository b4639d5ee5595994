#pragma once

#include <optional>
#include <string>

namespace quorvane {

class BannerSink;
class ConfigLifecycle;
class WebHostRefresh;
struct WebAppRecord;

// The settings window's edit of a web app, saved as a command's change is: under the config lock, checked
// against the file as it is then, and followed by the app's bundle. Main thread only.
class WebAppEdits {
public:
    // `appsDirectory` is the folder of the web-app bundles, whose file system limits a name's length.
    WebAppEdits(ConfigLifecycle&, BannerSink&, WebHostRefresh&, std::string appsDirectory);

    // Saves the name, address and tile of `edited`, the web app that was called `oldName`, and says so in the
    // banner; the reason it was not saved, or none. The tool may have taken the name, removed the app or changed
    // its other keys since the window showed it.
    std::optional<std::string> save(const std::string& oldName, const WebAppRecord& edited);

private:
    ConfigLifecycle& m_configuration;
    BannerSink& m_banner;
    WebHostRefresh& m_webHosts;
    std::string m_appsDirectory;
};

} // namespace quorvane
