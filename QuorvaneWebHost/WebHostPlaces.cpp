#include "WebHostPlaces.h"

#include "Configuration/QuorvanePaths.h"
#include "WebApps/UUID.h"

#include <cstdlib>
#include <filesystem>
#include <glib.h>
#include <pwd.h>
#include <unistd.h>

namespace quorvane {

namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

// An XDG base directory: the variable when it holds an absolute path, else the home folder's default.
std::string baseDirectory(const char* variable, const std::string& fallback)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return fallback;
}

} // namespace

WebHostPlaces WebHostPlaces::forStore(const UUID& store)
{
    std::string home = homeFolder();
    std::string storeFolder = "/quorvane/web-data/" + store.uuidString();
    WebHostPlaces places;
    places.configFile = QuorvanePaths::configFile(home);
    places.websiteData = baseDirectory("XDG_DATA_HOME", home + "/.local/share") + storeFolder;
    places.websiteCache = baseDirectory("XDG_CACHE_HOME", home + "/.cache") + storeFolder;
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
