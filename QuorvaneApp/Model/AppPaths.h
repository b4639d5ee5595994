#pragma once

#include <string>
#include <vector>

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
    // The agent launcher script.
    std::string commandFile;
    // Where generated web apps live.
    std::string appsDirectory;
    // Where the command-line tool is linked, in order of preference.
    std::vector<std::string> cliLinks;

    // Every path of the home folder `home`, with the socket the command-line tool resolves too.
    static AppPaths forHome(const std::string& home);
};

} // namespace quorvane
