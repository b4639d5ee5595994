#pragma once

#include <string>

namespace quorvane {

// The files and folders the application uses, resolved once from the home folder.
struct AppPaths {
    std::string home;
    std::string configDirectory;
    // The config file as the user sees it; it may be a symbolic link.
    std::string configFile;
    std::string applicationSupport;
    std::string socketFile;
    std::string accessibilityGrantFile;
    // Where generated web-app bundles live.
    std::string appsDirectory;

    // Every path of the home folder `home`, with the socket the command-line tool resolves too.
    static AppPaths forHome(const std::string& home);
};

} // namespace quorvane
