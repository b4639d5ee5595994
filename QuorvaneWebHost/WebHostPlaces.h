#pragma once

#include <string>

namespace quorvane {

struct UUID;

// The folders and files one web host uses, from the home folder and the XDG base directories.
struct WebHostPlaces {
    // The person's config file, read for the web app's user style sheet, script and user agent.
    std::string configFile;
    // Cookies, local storage and the other website data of one data store.
    std::string websiteData;
    // The disk caches of the same data store.
    std::string websiteCache;
    // Where downloads go: the XDG download folder, else ~/Downloads when it exists, else the home folder.
    std::string downloads;

    // The places of the data store `store` under this process's environment.
    static WebHostPlaces forStore(const UUID& store);
};

} // namespace quorvane
