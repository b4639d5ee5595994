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

// The cache base directory: $XDG_CACHE_HOME when it holds an absolute path, else the home folder's default.
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
    QuorvanePaths paths = QuorvanePaths::fromEnvironment(home);
    WebHostPlaces places;
    places.configFile = paths.configFile();
    places.websiteData = paths.applicationSupport() + "/web-data/" + store.uuidString();
    places.websiteCache
        = baseDirectory("XDG_CACHE_HOME", home + "/.cache") + "/quorvane/web-data/" + store.uuidString();
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
