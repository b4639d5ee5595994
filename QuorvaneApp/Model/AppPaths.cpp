#include "QuorvaneApp/Model/AppPaths.h"

#include "Configuration/QuorvanePaths.h"
#include "QuorvaneIPC/QuorvaneSession.h"

namespace quorvane {

AppPaths AppPaths::forHome(const std::string& home)
{
    AppPaths paths;
    paths.home = home;
    paths.configDirectory = QuorvanePaths::configDirectory(home);
    paths.configFile = QuorvanePaths::configFile(home);
    paths.applicationSupport = QuorvanePaths::applicationSupport(home);
    paths.socketFile = QuorvanePaths::resolvedSocketFile(home, QuorvaneSession::socketPathLimit);
    paths.accessibilityGrantFile = QuorvanePaths::accessibilityGrantFile(home);
    paths.commandFile = QuorvanePaths::commandFile(home);
    paths.appsDirectory = QuorvanePaths::appsDirectory(home);
    paths.cliLinks = QuorvanePaths::preferredCLILinks(home);
    return paths;
}

} // namespace quorvane
