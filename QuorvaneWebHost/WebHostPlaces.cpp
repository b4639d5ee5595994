#include "WebHostPlaces.h"

#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/ProcessPlaces.h"
#include "Support/UUID.h"

#include <filesystem>
#include <glib.h>

namespace quorvane {

WebHostPlaces WebHostPlaces::forStore(const UUID& store)
{
    QuorvanePaths paths = ProcessPlaces::paths();
    const std::string& home = paths.home;
    WebHostPlaces places;
    places.configFile = paths.configFile();
    places.websiteData = paths.applicationSupport() + "/web-data/" + store.uuidString();
    places.websiteCache = paths.cacheDirectory() + "/web-data/" + store.uuidString();
    std::error_code error;
    if (const char* special = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD))
        places.downloads = special;
    else if (std::filesystem::is_directory(home + "/Downloads", error))
        places.downloads = home + "/Downloads";
    else
        places.downloads = home;
    return places;
}

} // namespace quorvane
